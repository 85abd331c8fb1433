# WebAssembly with Debian's emscripten, for the `web` preset and for the
# libraries scripts/build-web-deps.sh builds: emscripten's own toolchain, and
# the prefix those libraries are installed into.

include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Where the web builds of the libraries are: the script's default unless given.
if(NOT ORVANE_WEB_PREFIX)
    set(ORVANE_WEB_PREFIX ${CMAKE_CURRENT_LIST_DIR}/../build-web/deps/prefix)
endif()
get_filename_component(ORVANE_WEB_PREFIX ${ORVANE_WEB_PREFIX} ABSOLUTE)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANE_WEB_PREFIX)

# Libraries, headers and packages come only from emscripten's sysroot and that
# prefix, never from the host's /usr.
list(APPEND CMAKE_FIND_ROOT_PATH ${ORVANE_WEB_PREFIX})
