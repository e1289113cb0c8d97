#!/usr/bin/env bash
# Runs the program: installs what is missing, builds the Windows programs, prepares a private Wine
# prefix, registers and starts the stand-in host with the demo part program, and starts Dravosk
# beside it.
#   With a display ($DISPLAY reachable): both windows open for a person to use; the script ends
#   when Dravosk is closed.
#   Without one: a private Xvfb; the main job (Read, mark all, Write, confirm) is played through the
#   window, the demo features' vectors are printed before and after, and a screenshot of both
#   windows is saved to build/demo/screenshot.png.
# With --x86 the Dravosk is the 32-bit program, beside the 64-bit stand-in host, as on a 64-bit
# Windows: under the 32-bit Wine (tools/install-wine32.sh), in a prefix of its own, with
# screenshots named *-x86.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
x86=0
case "${1:-}" in
"") ;;
--x86) x86=1 ;;
*)
    echo "usage: tools/run.sh [--x86]" >&2
    exit 2
    ;;
esac
tools/install-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target dravosk korvane-sim dravosk-demo
bin=$root/build/windows
dravosk_exe=$bin/app/dravosk.exe
demo=$root/build/demo
prefix=$demo/wineprefix
suffix=
if [ "$x86" = 1 ]; then
    cmake --preset windows-x86 >/dev/null
    cmake --build --preset windows-x86 -j "$(nproc)" --target dravosk
    dravosk_exe=$root/build/windows-x86/app/dravosk.exe
    # A prefix with both halves, made and run by the Wine that runs 32-bit programs too.
    prefix=$demo/wineprefix-x86
    suffix=-x86
    export PATH=${DRAVOSK_WINE32:-/opt/dravosk-wine32}/bin:$PATH
fi
mkdir -p "$demo"
cp sim/demo/demo.json "$demo/demo.json"

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=de_DE.UTF-8
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
wine "$dravosk_exe" &
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
    import -window root -crop 1280x484+0+0 +repage "$demo/screenshot$suffix.png"
    touch "$demo/sync/continue"
fi
wait "$driver"
sleep 1
import -window root -crop 1280x484+0+0 +repage "$demo/screenshot$suffix-after.png"
echo "Screenshots of both windows: $demo/screenshot$suffix.png (all marked)," \
    "$demo/screenshot$suffix-after.png (written)"
