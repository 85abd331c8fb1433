#!/usr/bin/env bash
# Installs with apt-get what the Windows cross build and its tests use, and
# lets apt fetch Debian's source packages, from which the Windows libraries
# are built. Does nothing when everything is there.
set -euo pipefail
. "$(dirname "$0")/install-lib.sh"

packages=(
    # the 64-bit Windows compilers, and Wine to run what they make
    mingw-w64 wine wine64
    # apt-get source unpacks and patches through dpkg-source
    dpkg-dev
    # the build itself, the tests' virtual display
    cmake make xvfb xauth
)
enable_source_packages
install_missing "${packages[@]}"
