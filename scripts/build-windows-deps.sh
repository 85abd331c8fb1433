#!/usr/bin/env bash
# Builds the libraries of the Windows build, static, from Debian's own source
# packages, with the mingw-w64 toolchain of cmake/mingw-w64.cmake, into
#   build-windows/deps/prefix   (or the folder given as the first argument)
# where the `windows` preset's find_package calls find them. Reaches nothing
# but Debian's archive. A second run does nothing while this script, the
# toolchain and DevIL's build file are unchanged.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
deps=$(realpath -m "${1:-$repo/build-windows/deps}")
prefix=$deps/prefix
toolchain=$repo/cmake/mingw-w64.cmake
# Debian's source package of DevIL cannot be fetched here; this is its
# upstream 1.7.8 source with the fixes Debian carries (see its README).
devil_archive=$repo/../shared/deps/devil-1.7.8.tar.gz
jobs=${JOBS:-2}
triple=x86_64-w64-mingw32

recipe=$(cat "$0" "$toolchain" "$repo/cmake/devil/CMakeLists.txt" | sha256sum | cut -d' ' -f1)
stamp=$prefix/.built-by
if [ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ]; then
    exit 0
fi
# Another recipe's prefix is built again from nothing. Only what this script
# makes is removed, whatever folder it was given.
log=$deps/build.log
rm -rf "$deps/source" "$deps/build" "$prefix" "$log"
mkdir -p "$deps/source" "$deps/build" "$prefix"
echo "Building the Windows libraries into $prefix (log: $log)"

# The newest version of a source package that the archive serves: the
# security archive lists its sources but may not serve them.
fetch() {
    local package=$1 folder=$deps/source/$1 version
    mkdir -p "$folder"
    for version in $(apt-cache showsrc --only-source "$package" |
                     awk '/^Version:/ {print $2}' | sort -urV); do
        if (cd "$folder" && apt-get source -qq --only-source "$package=$version") >>"$log" 2>&1; then
            find "$folder" -mindepth 1 -maxdepth 1 -type d
            return
        fi
    done
    echo "apt-get source $package failed: see $log"
    exit 1
}

# The binary packages of header-only libraries: the same headers for every system.
unpack() {
    local package=$1
    (cd "$deps/source" && apt-get download -qq "$package") >>"$log" 2>&1
    dpkg-deb -x "$deps/source/${package}"_*.deb "$deps/source/$package"
    echo "$deps/source/$package"
}

cmake_build() {
    local name=$1 source=$2
    shift 2
    echo "  $name"
    cmake -S "$source" -B "$deps/build/$name" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVANE_WINDOWS_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=OFF "$@" >>"$log" 2>&1
    cmake --build "$deps/build/$name" -j "$jobs" >>"$log" 2>&1
    cmake --install "$deps/build/$name" >>"$log" 2>&1
}

# Nothing of the host's pkg-config files may reach a Windows build.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
trap 'echo "Failed; the end of $log:"; tail -n 30 "$log"' ERR

echo "  zlib"
zlib=$(fetch zlib)
# Debian's zlib source has no win32/ folder; its configure does cross builds.
(cd "$zlib" && CHOST=$triple CC=$triple-gcc-posix AR=$triple-ar RANLIB=$triple-ranlib \
    ./configure --static --prefix="$prefix" && make -j "$jobs" libz.a && make install) >>"$log" 2>&1

cmake_build libpng "$(fetch libpng1.6)" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF

cmake_build glfw "$(fetch glfw3)" -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF \
    -DGLFW_BUILD_DOCS=OFF

cmake_build glew "$(fetch glew)/build/cmake" -DBUILD_UTILS=OFF

# Debian's GoogleTest source is already on the machine with libgtest-dev.
cmake_build googletest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF

cmake_build pugixml "$(fetch pugixml)" -DPUGIXML_BUILD_TESTS=OFF

assimp=$(fetch assimp)
# Assimp compiles the pugixml it bundles into itself, header-only; linked
# statically beside the library the viewer checks documents with, each
# function would be there twice. It uses that library instead.
cp "$prefix"/include/{pugixml.hpp,pugiconfig.hpp} "$assimp/contrib/pugixml/src/"
# Debian's patch makes libdraco a hard requirement; the viewer needs no draco.
patch -d "$assimp" -R -p1 -s <"$assimp/debian/patches/use-system-libdraco.patch"
# Debian takes the bundled unzip out of the source: zlib's own minizip, which
# it came from, goes back in.
mkdir -p "$assimp/contrib/unzip"
cp "$zlib"/contrib/minizip/{crypt.h,ioapi.c,ioapi.h,unzip.c,unzip.h} "$assimp/contrib/unzip/"
touch "$assimp/contrib/unzip/crypt.c"
utfcpp=$(unpack libutfcpp-dev)
# Only what the viewer and tools/make_model use: Collada in and out.
cmake_build assimp "$assimp" -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON \
    -DCMAKE_CXX_FLAGS="-I$utfcpp/usr/include/utf8cpp" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON \
    -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_EXPORTER=ON \
    -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_DRACO=OFF \
    -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_ZLIB=OFF

tar -xzf "$devil_archive" -C "$deps/source"
cp "$repo/cmake/devil/CMakeLists.txt" "$deps/source/devil-1.7.8/"
cmake_build devil "$deps/source/devil-1.7.8"

echo "  glm"
glm=$(unpack libglm-dev)
mkdir -p "$prefix/include" "$prefix/share/cmake"
cp -r "$glm/usr/include/glm" "$prefix/include/"
cp -r "$glm/usr/share/cmake/glm" "$prefix/share/cmake/"

echo "$recipe" >"$stamp"
echo "Done: $prefix"
