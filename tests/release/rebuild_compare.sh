#!/usr/bin/env bash
# Usage: rebuild_compare.sh SOURCE_DIR PRESET BUILT_EXE
# A site's rebuild: copies the sources to another folder (another path, as another checkout would
# lie), configures PRESET (windows or windows-x86) there, builds only the dravosk target, without the compiler
# cache, and compares the SHA-256 of the new dravosk.exe with BUILT_EXE. Prints both sums and how
# long the second build took. Exit code 0 when the files are identical.
set -euo pipefail
src=$(cd "$1" && pwd)
preset=$2
built=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/dravosk-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/another-checkout
mkdir -p "$copy"
# The sources only: no build trees, no repository metadata.
tar -C "$src" --exclude=./build --exclude=./out --exclude=./.git -cf - . | tar -C "$copy" -xf -

# An honest rebuild: a cached object compiled in the first folder would hide a path in it.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1

start=$(date +%s)
cd "$copy"
if ! cmake --preset "$preset" >"$work/configure.log" 2>&1; then
    cat "$work/configure.log"
    echo "FAILED: the second build does not configure"
    exit 1
fi
if ! cmake --build --preset "$preset" --target dravosk -j "$(nproc)" >"$work/build.log" 2>&1; then
    tail -n 50 "$work/build.log"
    echo "FAILED: the second build fails"
    exit 1
fi
echo "second build (configure and build of dravosk in $copy): $(( $(date +%s) - start )) s"

rebuilt=$copy/build/$preset/app/dravosk.exe
first=$(sha256sum "$built" | cut -d' ' -f1)
second=$(sha256sum "$rebuilt" | cut -d' ' -f1)
echo "SHA-256 $first  $built"
echo "SHA-256 $second  $rebuilt"
if [ "$first" != "$second" ]; then
    echo "FAILED: dravosk.exe differs between the two builds; first differing bytes (offset, octal):"
    cmp -l "$built" "$rebuilt" | head -n 20 || true
    exit 1
fi
echo "identical"
