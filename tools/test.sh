#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the native, sanitizer and Windows presets and runs
# their tests (the Windows ones under Wine: the 64-bit programs' under the system's Wine, the 32-bit
# programs' selection under the 32-bit Wine of tools/install-wine32.sh). Fails on the first failure.
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

# One wineserver per prefix for the whole run: without it every test program pays for a server
# start.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=de_DE.UTF-8
serve_prefix() {
    export WINEPREFIX=$1
    cmake/wine-prefix.sh >/dev/null
    wineserver -k 2>/dev/null || true
    wineserver -p
    wine cmd /c exit
}
trap 'wineserver -k 2>/dev/null || true' EXIT
serve_prefix "$PWD/build/windows/wineprefix"
echo "=== windows: tests (under Wine)"
windows_start=$(date +%s)
ctest --preset windows
wineserver -k 2>/dev/null || true
windows_time=$(( $(date +%s) - windows_start ))

# The 32-bit programs, with the 64-bit ones beside them for the tests that pair the two.
x86_start=$(date +%s)
echo "=== windows-x86: build"
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86 -j "$jobs"
export PATH=${DRAVOSK_WINE32:-/opt/dravosk-wine32}/bin:$PATH
serve_prefix "$PWD/build/windows-x86/wineprefix"
echo "=== windows-x86: tests (under the 32-bit Wine)"
ctest --preset windows-x86
echo "=== windows tests: $windows_time s; 32-bit build and tests: $(( $(date +%s) - x86_start )) s"

echo "=== release: the archives of both programs with one SHA256SUMS"
tools/release.sh

echo "=== all tests passed in $(( $(date +%s) - start )) s"
