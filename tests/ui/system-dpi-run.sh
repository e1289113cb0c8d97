#!/usr/bin/env bash
# Usage: system-dpi-run.sh DPI SECONDS PREFIX PROGRAM [ARGS...]
# As tests/e2e/xvfb-run.sh, in a prefix whose system DPI is DPI (set once, when the prefix is made).
set -euo pipefail
dpi=$1
shift
prefix=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=$prefix WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$root/cmake/wine-prefix.sh" >/dev/null
exec 8>"$prefix.dpi.lock"
flock 8
if [ ! -f "$prefix/.dravosk-dpi-$dpi" ]; then
    # Wine reads the system DPI from here when a program starts.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.dravosk-dpi-$dpi"
fi
flock -u 8
exec "$root/tests/e2e/xvfb-run.sh" "$@"
