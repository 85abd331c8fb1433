#!/usr/bin/env bash
# Starts the viewer from the repo root. With no display, runs it on a
# virtual one for a few seconds and saves what it showed.
set -uo pipefail
cd "$(dirname "$0")/.."
viewer=build/orvane

if [ -n "${DISPLAY:-}" ]; then
    exec "$viewer"
fi

shot=${ORVANE_SCREENSHOT:-out/orvane.png}
mkdir -p "$(dirname "$shot")"
scripts/with-display.sh bash -c '
    "$1" &
    viewer_pid=$!
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "^Orvane$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    sleep "${ORVANE_RUN_SECONDS:-4}"
    if [ -n "${window:-}" ] && import -window "$window" "$2"; then
        saved=yes
    fi
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    if [ "${saved:-}" = yes ]; then
        echo "No display here: ran the viewer on a virtual display and saved what it showed to $2"
    else
        echo "No display here, and the viewer showed no window on the virtual one"
        exit 1
    fi
' run-viewer "$viewer" "$shot"
