# Helpers that give the device's programs and libraries their device names.
#
# qrv_device_library(target NAME) : a shared library called NAME on the device ("HZKCORE.dll").
# qrv_device_program(target NAME) : a program called NAME on the device ("Tolvex.exe").
# qrv_device_exports(target POSIX map WINDOWS def) : the library exports exactly the list in
#                                    the version script (POSIX) or the .def file (Windows).
# Libraries carry their device name as soname, so whoever links them asks for them by that name
# and finds them through $ORIGIN-relative run paths in the image.

function(qrv_device_library target name)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${name}" SUFFIX "")
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES NO_SONAME OFF)
    target_link_options(${target} PRIVATE "-Wl,-soname,${name}")
    # Every symbol resolved at link time, except in the fuzz build: there clang's sanitizer
    # and coverage runtime lives in the program and the libraries find it at load time.
    if(NOT QRV_BUILD_FUZZ)
      target_link_options(${target} PRIVATE "-Wl,--no-undefined")
    endif()
    set_target_properties(${target} PROPERTIES
      BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  endif()
endfunction()

function(qrv_device_program target name)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${name}" SUFFIX "")
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES
      BUILD_RPATH "$ORIGIN;$ORIGIN/Windows" INSTALL_RPATH "$ORIGIN;$ORIGIN/Windows")
  endif()
endfunction()

# A device library's export list, one file per target, named relative to the calling folder.
# On POSIX the version script keeps the standard library's template code from being exported
# beside the library's own entry points; on Windows the .def file puts them at their fixed
# ordinals, undecorated.
function(qrv_device_exports target)
  cmake_parse_arguments(E "" "POSIX;WINDOWS" "" ${ARGN})
  if(NOT E_POSIX OR NOT E_WINDOWS)
    message(FATAL_ERROR "qrv_device_exports(${target}) needs both POSIX and WINDOWS lists")
  endif()
  if(WIN32)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${E_WINDOWS})
  else()
    set(map ${CMAKE_CURRENT_SOURCE_DIR}/${E_POSIX})
    target_link_options(${target} PRIVATE "-Wl,--version-script=${map}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
