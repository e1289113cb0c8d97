#!/usr/bin/env bash
# Makes the release: the archives of the 64-bit and the 32-bit programs side by side, with one
# SHA256SUMS for all of them, in build/release/ (or the folder given):
#   Dravosk-<version>-win64.zip, Dravosk-<version>-win64-korvane-sim.zip
#   Dravosk-<version>-win32.zip, Dravosk-<version>-win32-korvane-sim.zip
#   SHA256SUMS
# Each build's own package target makes and checks its two archives (reproducible: the same
# programs give the same bytes); this puts them together and checks the sums once more.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/release}
jobs=$(nproc)
rm -rf "$out"
mkdir -p "$out"
for preset in windows windows-x86; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" --target package >/dev/null
    cp "build/$preset/package/"Dravosk-*.zip "$out/"
done
(
    cd "$out"
    archives=(Dravosk-*.zip)
    if [ ${#archives[@]} -ne 4 ]; then
        echo "release: expected 4 archives, found: ${archives[*]}" >&2
        exit 1
    fi
    sha256sum "${archives[@]}" >SHA256SUMS
    sha256sum -c --quiet SHA256SUMS
)
echo "release in $out:"
cat "$out/SHA256SUMS"
