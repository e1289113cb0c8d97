#!/usr/bin/env bash
# Runs the program: installs what is missing, builds the Windows programs, prepares a private Wine
# prefix, registers and starts the stand-in host with the demo part program, and starts Dravosk
# beside it.
#   With a display ($DISPLAY reachable): both windows open for a person to use; the script ends
#   when Dravosk is closed.
#   Without one: a private Xvfb; the main job (Read, mark all, Write, confirm) is played through the
#   window, the demo features' vectors are printed before and after, and a screenshot of both
#   windows is saved to build/demo/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target dravosk korvane-sim dravosk-demo
bin=$root/build/windows
demo=$root/build/demo
mkdir -p "$demo"
cp sim/demo/demo.json "$demo/demo.json"

export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=de_DE.UTF-8
control=dravosk-demo-$$
. cmake/xvfb.sh
cleanup() {
    wineserver -k 2>/dev/null || true
    stop_xvfb
}
trap cleanup EXIT

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    headless=1
    start_xvfb "$demo" 1280x800x24
fi

cmake/wine-prefix.sh >/dev/null
wineserver -k 2>/dev/null || true
wineserver -p
wine "$bin/sim/server/korvane-sim.exe" /regserver

wine "$bin/sim/server/korvane-sim.exe" --program "Z:${demo//\//\\}\\demo.json" --control "$control" &
timeout 60 xdotool search --sync --name 'Korvane \(Simulator\)' >/dev/null
sleep 1  # the window shows a moment before the class object is registered
wine "$bin/app/dravosk.exe" &
dravosk=$!
timeout 60 xdotool search --sync --name 'Dravosk für Korvane' >/dev/null

if [ "$headless" = 0 ]; then
    echo "Dravosk and the stand-in host are open on $DISPLAY; close Dravosk to end the demo."
    wait "$dravosk" || true
    exit 0
fi

# Side by side, so the screenshot shows both.
sim_window=$(xdotool search --name 'Korvane \(Simulator\)' | head -n 1)
xdotool windowmove "$sim_window" 560 0 || true
rm -rf "$demo/sync" && mkdir -p "$demo/sync"
export DRAVOSK_DEMO_SYNC="Z:${demo//\//\\}\\sync"
wine "$bin/demo/dravosk-demo.exe" "$control" &
driver=$!
for _ in $(seq 300); do
    [ -e "$demo/sync/marked" ] && break
    kill -0 "$driver" 2>/dev/null || break
    sleep 0.1
done
if [ -e "$demo/sync/marked" ]; then
    sleep 0.5
    import -window root -crop 1280x484+0+0 +repage "$demo/screenshot.png"
    touch "$demo/sync/continue"
fi
wait "$driver"
sleep 1
import -window root -crop 1280x484+0+0 +repage "$demo/screenshot-after.png"
echo "Screenshots of both windows: $demo/screenshot.png (all marked), $demo/screenshot-after.png (written)"
