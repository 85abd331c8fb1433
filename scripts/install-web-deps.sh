#!/usr/bin/env bash
# Installs what the web build and its browser test use, and lets apt fetch
# Debian's source packages, from which the web libraries are built: Debian's
# emscripten and Chromium, Node and npm (any Node from 18 on will do, Debian's
# or another already here), and the test's node modules as package-lock.json
# pins them. Does nothing when everything is there.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/install-lib.sh"

enable_source_packages
node_packages=()
command -v node >/dev/null || node_packages+=(nodejs)
command -v npm >/dev/null || node_packages+=(npm)
install_missing emscripten chromium dpkg-dev cmake make "${node_packages[@]}"

modules=$repo/tests/web/node_modules
if ! cmp -s "$repo/tests/web/package-lock.json" "$modules/.orvane-installed-from"; then
    echo "Installing the browser test's node modules into $modules"
    (cd "$repo/tests/web" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$repo/tests/web/package-lock.json" "$modules/.orvane-installed-from"
fi
