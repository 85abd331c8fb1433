#!/usr/bin/env bash
# Runs a command with a display: the one the session has, or a private
# virtual one that is stopped (by its process id) when the command ends.
set -uo pipefail

if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi

fdfile=$(mktemp)
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1600x1000x24 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$fdfile"' EXIT
for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
done
if [ ! -s "$fdfile" ]; then
    echo "Xvfb did not start"
    exit 1
fi
export DISPLAY=":$(head -n 1 "$fdfile")"
"$@"
