#!/usr/bin/env bash
# Installs with apt-get whatever the build, the viewer and the tests need
# and this machine lacks. Does nothing when everything is there.
set -euo pipefail

packages=(
    # build
    build-essential cmake pkg-config
    # libraries
    libglfw3-dev libglew-dev libglm-dev libdevil-dev libassimp-dev libx11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # OpenGL without a GPU: Mesa's llvmpipe
    libgl1-mesa-dri libglx-mesa0
    # a virtual display and the tools that drive and photograph it
    xvfb xauth xdotool imagemagick
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Not root and no sudo: install these as root: ${missing[*]}"; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
