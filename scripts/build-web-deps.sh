#!/usr/bin/env bash
# Builds the libraries of the web build, static WebAssembly, from Debian's own
# source packages, with emscripten's toolchain (cmake/emscripten.cmake), into
#   build-web/deps/prefix   (or the folder given as the first argument)
# where the `web` preset's find_package calls find them. GLFW and the OpenGL
# headers come with emscripten. Reaches nothing but Debian's archive. A second
# run does nothing while these scripts, the toolchain and DevIL's build file
# are unchanged.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/deps-lib.sh"
# A node other than Debian's (nodesource's) does not look in Debian's module
# folder, where emscripten's own modules are.
export NODE_PATH=/usr/share/nodejs
deps_begin "${1:-$repo/build-web/deps}" web "$repo/cmake/emscripten.cmake"
cmake_toolchain_arguments=(-DORVANE_WEB_PREFIX="$prefix")

build_zlib emconfigure
# No SIMD code of libpng's for WebAssembly.
build_libpng -DPNG_HARDWARE_OPTIMIZATIONS=OFF
# Assimp reports a broken file by throwing inside its importer; emscripten's
# default turns every throw into an abort of the page's program.
assimp_cxx_flags=-fexceptions build_assimp
build_devil
install_glm
deps_end
