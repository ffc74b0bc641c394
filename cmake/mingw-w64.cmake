# Cross toolchain for the Windows target: 64-bit mingw-w64 with POSIX threads, from Debian's
# packages. Programs built with it run on Windows, or here under Wine (see scripts/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QRV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QRV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QRV_MINGW_PREFIX}-windres)

# Libraries and headers of the target come from the cross root only; header-only packages of
# the host (nlohmann_json) are found through their package files, which hold no binaries.
set(CMAKE_FIND_ROOT_PATH /usr/${QRV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The images need no runtime DLLs beside them: the C++ runtime and the thread library are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")

# Header-only libraries of the host, seen without the rest of the host's headers.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/cross CACHE PATH "nlohmann_json for cross builds")
