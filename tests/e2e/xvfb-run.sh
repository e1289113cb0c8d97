#!/usr/bin/env bash
# Usage: xvfb-run.sh SECONDS PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine (prefix PREFIX, made on first use) on an X display of its own:
# a private Xvfb that lives only for this run. The program is stopped after SECONDS, and every
# process left in PREFIX is ended afterwards.
#
# PREFIX must belong to the window tests alone, run one at a time: Wine ties a prefix's desktop
# to the display of the process that opened it first, so two runs sharing a prefix would share
# one Xvfb, and the end of one would take the other's windows with it.
set -uo pipefail
limit=$1
prefix=$2
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
xvfb=

cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3 once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

timeout --kill-after=5 "$limit" "$root/cmake/wine-run.sh" "$prefix" "$@"
