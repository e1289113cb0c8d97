#!/usr/bin/env bash
# Usage: screenshot.sh OUT.png PREFIX PATH/TO/dravosk.exe
# Starts the program on a private Xvfb display, waits for its window and saves a picture of it.
set -uo pipefail
out=$1
prefix=$2
exe=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
. "$root/cmake/xvfb.sh"
program=

cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || exit 1

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
