# nlohmann_json for cross builds. The host's package file points the compiler at /usr/include
# as a whole, which would put the host's C library headers before the target's; this one
# exposes only the library's own folder.
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(QRV_NLOHMANN_JSON_HEADER nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
  if(NOT QRV_NLOHMANN_JSON_HEADER)
    set(nlohmann_json_FOUND FALSE)
    return()
  endif()
  set(staged ${CMAKE_BINARY_DIR}/cross-include)
  if(NOT EXISTS ${staged}/nlohmann)
    file(MAKE_DIRECTORY ${staged})
    file(CREATE_LINK ${QRV_NLOHMANN_JSON_HEADER}/nlohmann ${staged}/nlohmann SYMBOLIC)
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${staged})
endif()
