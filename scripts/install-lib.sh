# What the cross builds' install scripts share (install-windows-deps.sh,
# install-web-deps.sh): apt-get as root or through sudo, Debian's source
# packages made fetchable, and whichever packages are missing installed.
# Sourced, not run.

as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
    # sudo resets the environment; env inside it sets the variable for apt-get itself.
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
fi
apt_updated=false

# The system's own list stays as it is: a file of ours repeats its entries
# for source packages, with the same archive, suites and components.
enable_source_packages() {
    local system_sources=/etc/apt/sources.list.d/debian.sources source_entries wanted_entries
    if [ -f "$system_sources" ]; then
        source_entries=/etc/apt/sources.list.d/orvane-deb-src.sources
        wanted_entries=$(sed -e 's/^Types:.*/Types: deb-src/' "$system_sources")
    else
        # The one-line format, as a minimal system (debootstrap's) has it.
        source_entries=/etc/apt/sources.list.d/orvane-deb-src.list
        wanted_entries=$(sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list 2>/dev/null || true)
    fi
    if [ -n "$wanted_entries" ] && [ "$(cat "$source_entries" 2>/dev/null)" != "$wanted_entries" ]; then
        check_root "add $source_entries"
        echo "Adding Debian's source packages to apt: $source_entries"
        printf '%s\n' "$wanted_entries" | "${as_root[@]}" tee "$source_entries" >/dev/null
        "${as_root[@]}" apt-get update -q
        apt_updated=true
    fi
}

check_root() {
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
        echo "Not root and no sudo: as root, $1"
        exit 1
    fi
}

# install_missing PACKAGE...: those not installed yet, with one apt-get.
install_missing() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return
    check_root "install ${missing[*]}"
    echo "Installing: ${missing[*]}"
    [ "$apt_updated" = true ] || "${as_root[@]}" apt-get update -q
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
