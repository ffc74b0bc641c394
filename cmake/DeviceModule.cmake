# Helpers that give the device's programs and libraries their device names.
#
# qrv_device_library(target NAME) : a shared library called NAME on the device ("HZKCORE.dll").
# qrv_device_program(target NAME) : a program called NAME on the device ("Tolvex.exe").
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
