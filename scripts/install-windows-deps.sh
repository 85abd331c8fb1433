#!/usr/bin/env bash
# Installs with apt-get what the Windows cross build and its tests use, and
# lets apt fetch Debian's source packages, from which the Windows libraries
# are built. Does nothing when everything is there.
set -euo pipefail

packages=(
    # the 64-bit Windows compilers, and Wine to run what they make
    mingw-w64 wine wine64
    # apt-get source unpacks and patches through dpkg-source
    dpkg-dev
    # the build itself, the tests' virtual display
    cmake make xvfb xauth
)

as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
    # sudo resets the environment; env inside it sets the variable for apt-get itself.
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
fi

# The system's own list stays as it is: a file of ours repeats its entries
# for source packages, with the same archive, suites and components.
system_sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$system_sources" ]; then
    source_entries=/etc/apt/sources.list.d/orvane-deb-src.sources
    wanted_entries=$(sed -e 's/^Types:.*/Types: deb-src/' "$system_sources")
else
    # The one-line format, as a minimal system (debootstrap's) has it.
    source_entries=/etc/apt/sources.list.d/orvane-deb-src.list
    wanted_entries=$(sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list 2>/dev/null || true)
fi
sources_changed=false
if [ -n "$wanted_entries" ] && [ "$(cat "$source_entries" 2>/dev/null)" != "$wanted_entries" ]; then
    echo "Adding Debian's source packages to apt: $source_entries"
    printf '%s\n' "$wanted_entries" | "${as_root[@]}" tee "$source_entries" >/dev/null
    sources_changed=true
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ] && [ "$sources_changed" = false ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
    echo "Not root and no sudo: as root, install ${missing[*]} and add $source_entries"
    exit 1
fi
"${as_root[@]}" apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
