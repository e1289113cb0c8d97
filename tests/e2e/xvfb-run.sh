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
. "$root/cmake/xvfb.sh"

cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || exit 1

timeout --kill-after=5 "$limit" "$root/cmake/wine-run.sh" "$prefix" "$@"
