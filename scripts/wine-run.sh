#!/bin/sh
# Runs a program of the Windows build under Wine: the tests' emulator in the
# `windows` preset, and the viewer for the end-to-end tests.
repo=$(cd "$(dirname "$0")/.." && pwd)
# A prefix of the build's own, so that a user's ~/.wine is neither used nor
# changed; no Mono or Gecko, which a new prefix would offer to install; none
# of Wine's own diagnostics in the programs' output.
export WINEPREFIX="${ORVANE_WINEPREFIX:-$repo/build-windows/wine}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
wine "$@"
status=$?
# Wine's session outlives the program by a few seconds, bound to the display
# it started on; the next program may come with a display of its own.
wineserver -w
exit $status
