# The version of the host's nlohmann_json, whose headers the cross build uses.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
