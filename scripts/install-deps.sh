#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing varnelo need, when missing.
set -euo pipefail

packages=(
    cmake g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libstb-dev libpixman-1-dev
    xvfb xauth x11-utils xdotool imagemagick python3 python3-pil
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64
    # The 32-bit Wine loader for the PE32 programs, and the i386 X libraries its display needs.
    wine32:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
    libxinerama1:i386 libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
    emscripten terser chromium
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
# The browser checks run under node with npm; a machine with its own node keeps it.
command -v npm >/dev/null || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# The :i386 packages come from the i386 architecture, which apt only offers once it is added.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
