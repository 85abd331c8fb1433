#!/usr/bin/env bash
# Builds the libraries of the Windows build, static, from Debian's own source
# packages, with the mingw-w64 toolchain of cmake/mingw-w64.cmake, into
#   build-windows/deps/prefix   (or the folder given as the first argument)
# where the `windows` preset's find_package calls find them. Reaches nothing
# but Debian's archive. A second run does nothing while these scripts, the
# toolchain and DevIL's build file are unchanged.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/deps-lib.sh"
deps_begin "${1:-$repo/build-windows/deps}" Windows "$repo/cmake/mingw-w64.cmake"
cmake_toolchain_arguments=(-DORVANE_WINDOWS_PREFIX="$prefix")
triple=x86_64-w64-mingw32

build_zlib env CHOST=$triple CC=$triple-gcc-posix AR=$triple-ar RANLIB=$triple-ranlib
build_libpng

cmake_build glfw "$(fetch glfw3)" -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF \
    -DGLFW_BUILD_DOCS=OFF

cmake_build glew "$(fetch glew)/build/cmake" -DBUILD_UTILS=OFF

# Debian's GoogleTest source is already on the machine with libgtest-dev.
cmake_build googletest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF

# The viewer reads Collada; tools/make_model writes it.
build_assimp -DASSIMP_BUILD_COLLADA_EXPORTER=ON
build_devil
install_glm
deps_end
