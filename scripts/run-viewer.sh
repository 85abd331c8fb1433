#!/usr/bin/env bash
# Starts the viewer from the repo root. With no display, runs it on a virtual
# one the size of its window for a few seconds and saves what it showed.
set -uo pipefail
cd "$(dirname "$0")/.."
viewer=build/orvane

if [ -n "${DISPLAY:-}" ]; then
    exec "$viewer"
fi

shot=${ORVANE_SCREENSHOT:-out/orvane.png}
mkdir -p "$(dirname "$shot")"
# The screen is exactly the window, so a picture of the screen is the window.
xvfb-run -a -s "-screen 0 1280x768x24 -nolisten tcp" bash -c '
    "$1" &
    viewer_pid=$!
    sleep "${ORVANE_RUN_SECONDS:-4}"
    kill -0 "$viewer_pid" 2>/dev/null && import -window root "$2"
    saved=$?
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    exit $saved
' run-viewer "$viewer" "$shot"
if [ $? -eq 0 ]; then
    echo "No display here: ran the viewer on a virtual display and saved what it showed to $shot"
else
    echo "No display here, and the viewer did not keep running on the virtual one"
    exit 1
fi
