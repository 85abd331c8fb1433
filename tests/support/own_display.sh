#!/bin/sh
# Runs a test program on a virtual display of its own, whatever DISPLAY says: never
# the developer's screen, pointer or focus, and never shared with another test.
fifo=$(mktemp -u) && mkfifo -m 600 "$fifo" || exit 1
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server' EXIT
trap 'exit 1' HUP INT TERM
read -r number <"$fifo"
rm -f "$fifo"
[ -n "$number" ] || { echo "Xvfb did not start (the package xvfb is needed)" >&2; exit 1; }
env -u WAYLAND_DISPLAY DISPLAY=":$number" "$@"
