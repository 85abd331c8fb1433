#!/bin/sh
# Runs a program of the Windows build under Wine: the tests' emulator in the
# `windows` preset, and (with --own-session) the viewer for the end-to-end
# tests.
repo=$(cd "$(dirname "$0")/.." && pwd)
# A prefix of the build's own, so that a user's ~/.wine is neither used nor
# changed; no Mono or Gecko, which a new prefix would offer to install; no
# debugger waiting on a crash, which must end the program; none of Wine's
# own diagnostics in the programs' output.
export WINEPREFIX="${ORVANE_WINEPREFIX:-$repo/build-windows/wine}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEDEBUG=-all
# Wine's session outlives its last program by a few seconds, bound to the
# display it started on; each end-to-end test comes with a display of its
# own, so its viewer waits for the previous session to end.
if [ "${1:-}" = "--own-session" ]; then
    shift
    wineserver -w
fi
exec wine "$@"
