#!/usr/bin/env bash
# Usage: screenshot.sh OUT.png PREFIX PATH/TO/dravosk.exe
# Starts the program on a private Xvfb display, waits for its window and saves a picture of it.
set -uo pipefail
out=$1
prefix=$2
exe=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
xvfb=
program=

cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

"$root/cmake/wine-run.sh" "$prefix" "$exe" >"$work/program.log" 2>&1 &
program=$!
window=$(timeout 30 xdotool search --sync --name "Dravosk für Korvane" | head -n 1)
if [ -z "$window" ]; then
    echo "the window did not appear" >&2
    exit 1
fi
sleep 1  # let it paint
import -window "$window" "$out"
echo "saved $out"
