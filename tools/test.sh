#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the native, sanitizer and Windows presets and runs
# their tests (the Windows ones under Wine). Fails on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
tools/install-deps.sh

jobs=$(nproc)
for preset in native native-asan; do
    echo "=== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== $preset: tests"
    ctest --preset "$preset" -j "$jobs"
done

echo "=== windows: build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

# One wineserver for the whole run: without it every test program pays for a server start.
export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=de_DE.UTF-8
cmake/wine-prefix.sh >/dev/null
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit
echo "=== windows: tests (under Wine)"
ctest --preset windows

echo "=== all tests passed in $(( $(date +%s) - start )) s"
