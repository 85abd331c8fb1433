#!/usr/bin/env bash
# Makes the README's picture with the viewer itself: build/orvane runs from
# the repo root on a private virtual display, the mouse (xdotool) steers it,
# and ImageMagick's import saves what the window shows.
#   scripts/make-screenshot.sh [out.png]      (default docs/screenshot.png)
# Run `make build` first; ORVANE_VIEWER names another viewer binary.
# How far a mouse movement turns the camera scales with the frame time,
# which differs from machine to machine, so the script steers by what it
# sees: it tilts down (turning a little) until the ground fills the
# picture (the camera then sinks to its lowest height, where it levels out
# by itself), turns right step by step until the model has come into view
# and gone again, and keeps the picture that showed most of the model.
# Each move is made between pictures, never during one, since taking a
# picture stalls the viewer and a move read in a stalled frame turns the
# camera far.
set -euo pipefail
cd "$(dirname "$0")/.."
viewer=${ORVANE_VIEWER:-build/orvane}
shot=${1:-docs/screenshot.png}
if [ ! -x "$viewer" ]; then
    echo "No $viewer: run make build first"
    exit 1
fi
mkdir -p "$(dirname "$shot")"

# Always a display of its own: nothing else on it, the same size every time.
env -u DISPLAY scripts/with-display.sh bash -c '
    set -uo pipefail
    viewer=$1
    shot=$2
    work=$(mktemp -d)
    trap "rm -rf $work" EXIT

    look() {
        import -window "$window" -depth 8 "$work/frame.ppm" 2>/dev/null
    }
    # Percent of the last picture that is sky.
    sky_percent() {
        convert "$work/frame.ppm" -sample 160x96! \
            -fx "b > 0.6 && r < 0.45 && g < 0.65 ? 1 : 0" \
            -format "%[fx:int(mean * 100)]\n" info: 2>/dev/null
    }
    # How much red of the model the last picture shows in its middle
    # six eighths, as a whole number.
    red_score() {
        convert "$work/frame.ppm" -sample 160x96! \
            -fx "r > 0.3 && g < 0.15 && b < 0.15 ? 1 : 0" \
            -crop 8x1@ +repage -format "%[fx:mean]\n" info: 2>/dev/null |
            awk "NR > 1 && NR < 8 { sum += \$1 } END { printf \"%d\n\", sum * 100000 }"
    }
    move() {
        sleep 0.3
        xdotool mousemove_relative -- "$1" "$2"
        sleep 0.3
    }

    attempt() {
        "$viewer" >"$work/viewer.log" 2>&1 &
        viewer_pid=$!
        window=""
        for _ in $(seq 100); do
            window=$(xdotool search --onlyvisible --name "^Orvane$" 2>/dev/null | head -n 1)
            [ -n "$window" ] && break
            sleep 0.1
        done
        best=0
        if [ -n "$window" ]; then
            sleep 1
            for _ in $(seq 20); do
                look && [ "$(sky_percent)" -le 25 ] && break
                move 30 10
            done
            for _ in $(seq 60); do
                move 60 0
                look || continue
                score=$(red_score)
                if [ "$score" -gt "$best" ]; then
                    best=$score
                    cp "$work/frame.ppm" "$work/best.ppm"
                elif [ "$best" -gt 0 ] && [ "$score" -eq 0 ]; then
                    break
                fi
            done
        else
            echo "The viewer showed no window:"
            cat "$work/viewer.log"
        fi
        kill "$viewer_pid" 2>/dev/null
        wait "$viewer_pid" 2>/dev/null
        [ "$best" -gt 0 ]
    }

    for try in 1 2 3; do
        if attempt; then
            convert "$work/best.ppm" "$shot"
            echo "Saved $shot"
            exit 0
        fi
        echo "Try $try: the model never came into view"
    done
    exit 1
' make-screenshot "$viewer" "$shot"
