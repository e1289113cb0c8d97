#!/usr/bin/env bash
# Installs whatever the build, the tests and the demo need and this machine lacks (Debian 12, root).
set -euo pipefail
packages=(
    cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64 wine wine64 xvfb xauth x11-utils xdotool
    imagemagick fonts-wine locales python3
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# German user interface language for Wine (it reads LANG when the wineserver starts).
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    locale-gen >/dev/null
fi
# The 32-bit Wine beside the system's 64-bit one, for the 32-bit programs' tests.
"$(dirname "$0")/install-wine32.sh"
