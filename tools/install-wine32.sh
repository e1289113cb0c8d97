#!/usr/bin/env bash
# Sets up a 32-bit Wine beside the system's 64-bit one, for the 32-bit programs and their tests,
# without touching the system's Wine or its package database (Debian 12, x86_64, root):
#
#   /opt/dravosk-wine32/root   Debian's i386 Wine (package wine32 and what it needs), unpacked
#   /opt/dravosk-wine32/bin    qemu-i386 (user-mode emulation: this kernel runs no 32-bit code),
#                              and wine, wine64, wineserver, wineboot for a prefix holding both
#                              halves, as 64-bit Windows does; put this folder first on PATH
#
# Installing wine32:i386 into the system would make /usr/bin/wine prefer it and break the 64-bit
# Wine, hence the private root. Every step checks whether it is done already, so a second run takes
# a moment. Set DRAVOSK_WINE32 to use another folder.
set -euo pipefail
dir=${DRAVOSK_WINE32:-/opt/dravosk-wine32}
root=$dir/root
bin=$dir/bin
zlib=/usr/i686-w64-mingw32/lib/zlib1.dll
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

fail() {
    echo "install-wine32: $*" >&2
    exit 1
}

[ "$(id -u)" = 0 ] || fail "must run as root (it registers an interpreter with binfmt_misc)"
[ -x /usr/lib/wine/wine64 ] || fail "the system's 64-bit Wine is missing (/usr/lib/wine/wine64)"
[ -e /usr/lib/wine/wine ] && fail "/usr/lib/wine/wine exists: a 32-bit Wine is installed in the system;" \
    "the 64-bit Wine must not find a 32-bit loader of its own there"
[ -f "$zlib" ] || fail "$zlib is missing (package libz-mingw-w64)"
[ -f "$keyring" ] || fail "$keyring is missing (package debian-archive-keyring)"
wine_version=$(dpkg-query -W -f='${Version}' wine64)

# A private apt: its own lists, cache and an empty status file, so it resolves the whole set of
# packages for one architecture and installs nothing.
private_apt() { # FOLDER ARCH SUITES... -- APT-GET ARGUMENTS...
    local apt=$1 arch=$2
    shift 2
    local suites=()
    while [ "$1" != -- ]; do suites+=("$1"); shift; done
    shift
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/parts"
    touch "$apt/status"
    : >"$apt/sources.list"
    for suite in "${suites[@]}"; do
        echo "deb [signed-by=$keyring] http://deb.debian.org/debian $suite main" >>"$apt/sources.list"
    done
    apt-get -q -o APT::Architecture="$arch" -o APT::Architectures::="$arch" \
        -o Dir::State="$apt" -o Dir::State::Lists="$apt/lists" -o Dir::State::status="$apt/status" \
        -o Dir::Cache="$apt" -o Dir::Cache::archives="$apt/archives" \
        -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts" \
        -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# A mirror in the middle of a sync answers with the wrong size for a while: try again.
retry() {
    local attempt
    for attempt in 1 2 3; do
        "$@" && return 0
        sleep $((attempt * 5))
    done
    return 1
}

# 1. The i386 Wine of the same version as the system's, unpacked into the private root.
if [ "$(cat "$root/.dravosk-wine32" 2>/dev/null)" != "$wine_version" ]; then
    echo "install-wine32: downloading Debian's i386 Wine $wine_version into $root"
    apt=$dir/apt-i386
    rm -rf "$root" "$apt"
    retry private_apt "$apt" i386 bookworm bookworm-updates -- update >/dev/null ||
        fail "apt-get update for i386 failed"
    retry private_apt "$apt" i386 bookworm bookworm-updates -- -y --no-install-recommends --download-only \
        install "wine32=$wine_version" >/dev/null ||
        fail "downloading wine32 $wine_version (i386) failed"
    mkdir -p "$root"
    for deb in "$apt"/archives/*.deb; do
        dpkg-deb -x "$deb" "$root" || fail "unpacking $deb failed"
    done
    [ -x "$root/usr/lib/wine/wine" ] || fail "the i386 packages hold no $root/usr/lib/wine/wine"
    # Its own library cache: without it the emulated loader reads the host's cache, mixes in the
    # host's /lib32 and finds no FreeType.
    echo 'include /etc/ld.so.conf.d/*.conf' >"$root/etc/ld.so.conf"
    ldconfig -r "$root" || fail "ldconfig -r $root failed"
    rm -rf "$apt"
    echo "$wine_version" >"$root/.dravosk-wine32"
fi

# 2. One prefix for both halves: Wine looks for the loader of the other bitness only beside its
#    own, so the 64-bit loader (a copy) stands beside the i386 one, and the 64-bit DLLs are found
#    through a link to the system's folder.
if ! cmp -s /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"; then
    cp /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
fi
mkdir -p "$root/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/usr/lib/x86_64-linux-gnu/wine"

# 3. qemu-i386 10 from bookworm-backports: bookworm's 7.2 takes MAP_FIXED_NOREPLACE as a hint,
#    and Wine then needs a minute and a half to start one process.
mkdir -p "$bin"
if [ ! -x "$bin/qemu-i386" ]; then
    echo "install-wine32: downloading qemu-user from bookworm-backports"
    apt=$dir/apt-qemu
    rm -rf "$apt"
    retry private_apt "$apt" amd64 bookworm-backports -- update >/dev/null ||
        fail "apt-get update for bookworm-backports failed"
    (cd "$apt" && retry private_apt "$apt" amd64 bookworm-backports -- download qemu-user >/dev/null) ||
        fail "downloading qemu-user from bookworm-backports failed"
    mkdir -p "$apt/unpacked"
    dpkg-deb -x "$apt"/qemu-user_*.deb "$apt/unpacked" || fail "unpacking qemu-user failed"
    version=$("$apt/unpacked/usr/bin/qemu-i386" --version | head -n 1)
    case "$version" in
    *"version "[1-9][0-9].*) ;;
    *) fail "qemu-user from bookworm-backports is too old: $version" ;;
    esac
    cp "$apt/unpacked/usr/bin/qemu-i386" "$bin/qemu-i386.new"
    mv "$bin/qemu-i386.new" "$bin/qemu-i386"
    rm -rf "$apt"
fi
# Debian's qemu reads an argv[0] ending in -binfmt-P as "started by binfmt_misc with flag P".
ln -sfn qemu-i386 "$bin/qemu-i386-binfmt-P"

# 4. binfmt_misc runs every 32-bit x86 ELF through qemu-i386. Without it Wine's first 32-bit
#    process runs but cannot start a second one ("failed to start wineboot c00000e5").
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" || fail "cannot mount binfmt_misc on $binfmt"
fi
entry=$binfmt/dravosk-i386
if [ -e "$entry" ] && ! grep -qx "interpreter $bin/qemu-i386-binfmt-P" "$entry"; then
    echo -1 >"$entry"
fi
if [ ! -e "$entry" ]; then
    # ELFCLASS32, little endian, e_machine 3 (i386), executables and shared objects; flag P keeps
    # argv[0], F opens the interpreter now.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":dravosk-i386:M::$magic:$mask:$bin/qemu-i386-binfmt-P:PF" >"$binfmt/register" ||
        fail "cannot register qemu-i386 with binfmt_misc"
fi
# Another entry for i386 (a qemu-user-static package's, say) that comes first would do as well,
# as long as 32-bit programs run at all.

# 5. The commands, for a 64-bit prefix that holds both halves.
env_lines="export QEMU_LD_PREFIX='$root'
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDLLPATH='$root/usr/lib/i386-linux-gnu/wine'"
cat >"$bin/wine.new" <<EOF
#!/bin/sh
# Wine for a prefix with 64-bit and 32-bit programs; made by tools/install-wine32.sh.
$env_lines
# Debian's 32-bit user32.dll imports zlib1.dll, which the loader finds only on the normal search
# path: without it every 32-bit program with a window exits with code 53.
sys="\${WINEPREFIX:-\$HOME/.wine}/drive_c/windows/syswow64"
[ -e "\$sys/zlib1.dll" ] || { mkdir -p "\$sys" && cp '$zlib' "\$sys/"; }
exec '$root/usr/lib/wine/wine64' "\$@"
EOF
cat >"$bin/wineserver.new" <<EOF
#!/bin/sh
# The system's native wineserver serves the 32-bit programs too; made by tools/install-wine32.sh.
exec /usr/lib/wine/wineserver64 "\$@"
EOF
cat >"$bin/wineboot.new" <<EOF
#!/bin/sh
exec '$bin/wine' wineboot "\$@"
EOF
for command in wine wineserver wineboot; do
    chmod +x "$bin/$command.new"
    mv "$bin/$command.new" "$bin/$command"
done
ln -sfn wine "$bin/wine64"

# 6. A 32-bit program runs: the emulated i386 loader answers.
QEMU_LD_PREFIX=$root "$root/usr/lib/wine/wine" --version >/dev/null 2>&1 ||
    fail "the i386 Wine does not run under qemu-i386 ($root/usr/lib/wine/wine --version failed)"
