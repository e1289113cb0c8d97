#!/usr/bin/env bash
# Usage: package_check.sh BUILD_DIR VERSION ARCH
# Makes the release archives of ARCH (win64 or win32) with the build's CPack configuration into a
# folder of its own, then checks what each holds, that its programs are built for ARCH and that
# SHA256SUMS beside them is right; makes them once more into another folder and checks that the
# same programs gave the same archives.
set -euo pipefail
build=$1
version=$2
arch=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dravosk-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

pack() {
    if ! cpack --config "$build/CPackConfig.cmake" -B "$1" >"$work/cpack.log" 2>&1; then
        cat "$work/cpack.log"
        echo "FAILED: cpack"
        exit 1
    fi
}
pack "$work"
failed=0
contents() {
    python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$1"
}
expect() {
    local archive=$1 expected=$2
    if [ ! -f "$work/$archive" ]; then
        echo "FAILED: no $archive"
        failed=1
        return
    fi
    local actual
    actual=$(contents "$work/$archive")
    echo "$archive:"
    echo "$actual" | sed 's/^/  /'
    if [ "$actual" != "$expected" ]; then
        echo "FAILED: $archive should hold:"
        echo "$expected" | sed 's/^/  /'
        failed=1
    fi
}
name=Dravosk-$version-$arch
expect "$name.zip" "$(printf '%s\n' LIESMICH.txt dravosk.exe)"
expect "$name-korvane-sim.zip" "$(printf '%s\n' LIESMICH-korvane-sim.txt demo.json korvane-sim.exe)"

# The programs in an archive are the ones its name promises: a 32-bit Windows cannot start a
# 64-bit program at all.
mkdir -p "$work/unpacked"
for archive in "$name.zip" "$name-korvane-sim.zip"; do
    [ -f "$work/$archive" ] && python3 -m zipfile -e "$work/$archive" "$work/unpacked"
done
if ! python3 "$here/pe_check.py" --arch "$arch" "$work"/unpacked/*.exe; then
    echo "FAILED: the programs in the $arch archives"
    failed=1
fi

if [ ! -f "$work/SHA256SUMS" ]; then
    echo "FAILED: no SHA256SUMS"
    exit 1
fi
cat "$work/SHA256SUMS"
if [ "$(wc -l <"$work/SHA256SUMS")" -ne 2 ]; then
    echo "FAILED: SHA256SUMS should name both archives"
    failed=1
fi
if ! (cd "$work" && sha256sum -c SHA256SUMS); then
    echo "FAILED: sha256sum -c SHA256SUMS"
    failed=1
fi
pack "$work/again"
if ! cmp -s "$work/SHA256SUMS" "$work/again/SHA256SUMS"; then
    echo "FAILED: the archives made a second time differ:"
    cat "$work/again/SHA256SUMS"
    failed=1
fi
exit "$failed"
