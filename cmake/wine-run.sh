#!/usr/bin/env bash
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in the build tree's private prefix, creating it on first use.
set -euo pipefail
export WINEPREFIX="$1"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$(dirname "$0")/wine-prefix.sh" >/dev/null
exec wine "$@"
