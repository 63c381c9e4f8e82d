#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing varnelo need, when missing.
# usage: install-deps.sh [run | web | all]
#   run: what building and running the Linux demo needs (scripts/run.sh)
#   web: what building and serving the web page needs (scripts/web.sh)
#   all: everything the test command and scripts/package.sh need (the default)
set -euo pipefail
set_name=${1:-all}

packages=(
    cmake g++ clang libclang-rt-dev libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libstb-dev libpixman-1-dev
    xvfb xauth x11-utils xdotool xdg-user-dirs imagemagick libjpeg-turbo-progs python3 python3-pil curl valgrind
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64
    # The 32-bit Wine loader for the PE32 programs, and the i386 X libraries its display needs.
    wine32:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
    libxinerama1:i386 libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
    emscripten terser chromium
    # The 32-bit code on a kernel that runs none: the i686 Linux build under QEMU's user mode.
    g++-i686-linux-gnu
    # The arm64 package: cross-built against the arm64 SDL2 of Debian's multiarch, run under QEMU.
    g++-aarch64-linux-gnu libsdl2-dev:arm64
)
# Packing the releases and checking them as Debian and users meet them.
packages+=(dpkg-dev lintian desktop-file-utils man-db groff-base icoutils faketime)
# A Wayland desktop for the program: sway on its headless backend, its screenshots and XWayland.
packages+=(grim xwayland)
# Without what they recommend: qemu-user's would have the kernel hand foreign programs to QEMU, so
# that Wine's 32-bit loader ran emulated rather than being skipped; diffoscope's are hundreds of
# format tools, when it only needs to show where two packages differ; sway's are a terminal, a
# menu and wallpapers that a compositor without a screen has no use for.
bare=(qemu-user diffoscope-minimal sway)
case "$set_name" in
    run) packages=(cmake g++ libsdl2-dev libstb-dev) bare=() ;;
    web) packages=(cmake emscripten terser googletest python3) bare=() ;;
    all) ;;
    *) echo "usage: install-deps.sh [run | web | all]" >&2 && exit 2 ;;
esac

missing=() missing_bare=()
for package in "${packages[@]}" "${bare[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        [[ " ${bare[*]} " == *" $package "* ]] && missing_bare+=("$package") || missing+=("$package")
    fi
done
# The browser checks run under node with npm; a machine with its own node keeps it.
[ "$set_name" != all ] || command -v npm >/dev/null || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && [ ${#missing_bare[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]} ${missing_bare[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# The :i386 and :arm64 packages come from those architectures, which apt only offers once added.
for arch in i386 arm64; do
    if [[ " ${missing[*]}" == *:$arch* ]] && ! dpkg --print-foreign-architectures | grep -qx $arch; then
        "${sudo_cmd[@]}" dpkg --add-architecture $arch
    fi
done
# A mirror in the middle of a sync serves index files that do not match its release file for a
# minute or so: asked again, it has settled. One that stays so for an architecture added here
# (i386 for Wine's 32-bit loader, arm64 for the arm64 build) would keep every package from that
# release out: the indexes are then taken without it, and its packages go uninstalled, said
# below; the test command runs the 32-bit code under qemu-i386 where Wine cannot.
errors=$(mktemp) && trap 'rm -f "$errors"' EXIT
for attempt in 1 2 3; do
    "${sudo_cmd[@]}" apt-get update -qq 2>"$errors" && break
    [ $attempt -eq 3 ] || sleep 20
done
if grep -q '^E:' "$errors"; then
    cat "$errors" >&2
    native=$(dpkg --print-architecture)
    broken=$(grep -o 'binary-[a-z0-9]*/Packages' "$errors" | sed 's|binary-||; s|/Packages||' | sort -u | grep -vx "$native" || true)
    if [ -n "$broken" ]; then
        kept=$(printf '%s\n' "$native" $(dpkg --print-foreign-architectures) | grep -vxF "$broken" | paste -sd,)
        "${sudo_cmd[@]}" apt-get update -qq -o APT::Architectures="$kept"
        for arch in $broken; do
            dropped=$(printf '%s\n' "${missing[@]}" | grep ":$arch\$" | paste -sd' ' || true)
            missing=($(printf '%s\n' "${missing[@]}" | grep -v ":$arch\$" || true))
            echo "install-deps.sh: the mirror's $arch package index does not match its release file; not installed: $dropped" >&2
        done
    fi
fi
[ ${#missing[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
[ ${#missing_bare[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing_bare[@]}" >/dev/null
