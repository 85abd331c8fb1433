# What the cross builds' dependency scripts share (build-windows-deps.sh,
# build-web-deps.sh): Debian's source packages fetched and unpacked, each
# library built static with the build's CMake toolchain file and installed
# into one prefix, and a stamp so that a second run does nothing. Sourced,
# not run; the caller sets `repo` and calls deps_begin first.

# Debian's source package of DevIL cannot be fetched here; this is its
# upstream 1.7.8 source with the fixes Debian carries (see its README).
devil_archive=$repo/../shared/deps/devil-1.7.8.tar.gz
jobs=${JOBS:-2}

# deps_begin FOLDER TITLE TOOLCHAIN [RECIPE FILES...]: sets deps, prefix,
# toolchain and log, and exits the caller when the prefix was built by the
# same recipe (these scripts, the toolchain, DevIL's build file and the given
# files). Another recipe's prefix is built again from nothing; only what
# these scripts make is removed, whatever folder they were given.
deps_begin() {
    deps=$(realpath -m "$1")
    prefix=$deps/prefix
    toolchain=$3
    local title=$2
    shift 3
    recipe=$(cat "$0" "${BASH_SOURCE[0]}" "$toolchain" "$repo/cmake/devil/CMakeLists.txt" "$@" |
             sha256sum | cut -d' ' -f1)
    stamp=$prefix/.built-by
    if [ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ]; then
        exit 0
    fi
    # Told at once, not after the libraries before it are built.
    if [ ! -f "$devil_archive" ]; then
        echo "DevIL's source is missing: $devil_archive (the shared folder beside the repo)"
        exit 1
    fi
    log=$deps/build.log
    rm -rf "$deps/source" "$deps/build" "$prefix" "$log"
    mkdir -p "$deps/source" "$deps/build" "$prefix"
    echo "Building the $title libraries into $prefix (log: $log)"
    # Nothing of the host's pkg-config files may reach a cross build.
    export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
    trap 'echo "Failed; the end of $log:"; tail -n 30 "$log"' ERR
}

deps_end() {
    echo "$recipe" >"$stamp"
    echo "Done: $prefix"
}

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

# cmake_build NAME SOURCE [CMAKE ARGUMENTS...], with the toolchain and
# whatever the caller put in the array cmake_toolchain_arguments.
cmake_build() {
    local name=$1 source=$2
    shift 2
    echo "  $name"
    cmake -S "$source" -B "$deps/build/$name" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${cmake_toolchain_arguments[@]}" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=OFF "$@" >>"$log" 2>&1
    cmake --build "$deps/build/$name" -j "$jobs" >>"$log" 2>&1
    cmake --install "$deps/build/$name" >>"$log" 2>&1
}

# zlib's own configure does cross builds (Debian's source has no win32/
# folder); the caller gives the command to run it with, such as
# `env CHOST=... CC=...` or `emconfigure`. Sets zlib to its source folder.
build_zlib() {
    echo "  zlib"
    zlib=$(fetch zlib)
    (cd "$zlib" && "$@" ./configure --static --prefix="$prefix" &&
        make -j "$jobs" libz.a && make install) >>"$log" 2>&1
}

build_libpng() {
    cmake_build libpng "$(fetch libpng1.6)" -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF "$@"
}

# build_assimp [CMAKE ARGUMENTS...]; needs zlib's source. Assimp compiles the
# pugixml it bundles into itself, header-only.
build_assimp() {
    local assimp utfcpp
    assimp=$(fetch assimp)
    # Debian's patch makes libdraco a hard requirement; the viewer needs no draco.
    patch -d "$assimp" -R -p1 -s <"$assimp/debian/patches/use-system-libdraco.patch"
    # Debian takes the bundled unzip out of the source: zlib's own minizip, which
    # it came from, goes back in.
    mkdir -p "$assimp/contrib/unzip"
    cp "$zlib"/contrib/minizip/{crypt.h,ioapi.c,ioapi.h,unzip.c,unzip.h} "$assimp/contrib/unzip/"
    touch "$assimp/contrib/unzip/crypt.c"
    utfcpp=$(unpack libutfcpp-dev)
    cmake_build assimp "$assimp" -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON \
        -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON \
        -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF \
        -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_DRACO=OFF \
        -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_ZLIB=OFF \
        "-DCMAKE_CXX_FLAGS=-I$utfcpp/usr/include/utf8cpp ${assimp_cxx_flags:-}" "$@"
}

build_devil() {
    tar -xzf "$devil_archive" -C "$deps/source"
    cp "$repo/cmake/devil/CMakeLists.txt" "$deps/source/devil-1.7.8/"
    cmake_build devil "$deps/source/devil-1.7.8"
}

install_glm() {
    echo "  glm"
    local glm
    glm=$(unpack libglm-dev)
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    cp -r "$glm/usr/include/glm" "$prefix/include/"
    cp -r "$glm/usr/share/cmake/glm" "$prefix/share/cmake/"
}
