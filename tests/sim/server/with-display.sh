#!/usr/bin/env bash
# Usage: with-display.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine on an X display of its own (a private Xvfb), in a prefix that
# only this kind of run uses. Every process of the prefix is ended before the display goes, so the
# next run binds the prefix to its own display.
set -uo pipefail
prefix=$1
shift
wine_run="$(cd "$(dirname "$0")/../../.." && pwd)/cmake/wine-run.sh"
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
    prefix=$1
    shift
    "$0" "$prefix" "$@"
    status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    exit $status' "$wine_run" "$prefix" "$@"
