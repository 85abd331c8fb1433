# 64-bit Windows with mingw-w64, for the `windows` preset and for the
# libraries scripts/build-windows-deps.sh builds. Everything is linked
# statically, so that a program runs on its own, under Wine too.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVANE_MINGW x86_64-w64-mingw32)

# The default (win32) thread model has no std::thread or std::mutex.
set(CMAKE_C_COMPILER ${ORVANE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANE_MINGW}-windres)

# Where the Windows builds of the libraries are: the script's default unless
# given.
if(NOT ORVANE_WINDOWS_PREFIX)
    set(ORVANE_WINDOWS_PREFIX ${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix)
endif()
get_filename_component(ORVANE_WINDOWS_PREFIX ${ORVANE_WINDOWS_PREFIX} ABSOLUTE)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANE_WINDOWS_PREFIX)

# Libraries, headers and packages come only from the compilers' own sysroot
# and that prefix; the host's /usr/include and /usr/lib are Linux's.
set(CMAKE_FIND_ROOT_PATH ${ORVANE_WINDOWS_PREFIX} /usr/${ORVANE_MINGW})
set(CMAKE_PREFIX_PATH ${ORVANE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(BUILD_SHARED_LIBS OFF CACHE BOOL "")
