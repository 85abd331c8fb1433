#!/usr/bin/env bash
# Installs with apt-get whatever the build, the viewer, the tests and the
# benchmark use and this machine lacks. Does nothing when everything is there.
set -euo pipefail

packages=(
    # build
    g++ make cmake
    # libraries
    libglfw3-dev libglew-dev libglm-dev libdevil-dev libassimp-dev
    # tests (X11 and XTest drive the viewer's window, zlib writes huge images) and
    # the benchmark
    libgtest-dev libx11-dev libxtst-dev zlib1g-dev libbenchmark-dev
    # OpenGL without a GPU: Mesa's llvmpipe
    libgl1-mesa-dri libglx-mesa0
    # a virtual display when there is none, and a picture of it for make run
    xvfb xauth imagemagick
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Not root and no sudo: install these as root: ${missing[*]}"; exit 1; }
    # sudo resets the environment; env inside it sets the variable for apt-get itself.
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
