# qrv_project_options: the compile options of every target of this project, set here once.
#
# The platform library links it PUBLIC, and every module, program, test and harness stands on
# the platform layer, so each of them gets it; the few targets that do not link the platform
# (host-side test drivers, the XML floor benchmark) link it themselves.

add_library(qrv_project_options INTERFACE)
target_compile_options(qrv_project_options INTERFACE -Wall -Wextra)
# FreeLibrary must really unload a device library, as on the device, so that its module-wide
# state starts afresh when it is loaded again and a manager takes its component libraries with
# it when its caller frees it; GCC's unique symbols (template statics of the standard library)
# would pin a library in memory.
if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(qrv_project_options INTERFACE -fno-gnu-unique)
endif()
