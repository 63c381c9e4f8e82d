#!/usr/bin/env bash
# The test command: installs what is missing, packs the releases as the release command does,
# then builds and tests the release build, the sanitizer build and the fuzz targets, the Windows
# builds under Wine (the 32-bit code under QEMU where the kernel runs no 32-bit programs), the
# arm64 build under QEMU, checks that every build renders the same bytes, tests the web build
# under node and in headless Chromium, checks the packages as users meet them, and last that a
# second build of the release in another clone, place, time zone and umask gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/windows/wine.sh

./scripts/install-deps.sh
jobs=$(nproc)
source scripts/node-path.sh

# Wine's 32-bit loader is a 32-bit program: without it the 32-bit exe cannot run here at all.
# Its code still runs, built for i686 Linux with the same compiler and flags, under qemu-i386.
skipped=""
if ! wine_runs_pe32; then
    skipped="the Wine runs of the 32-bit varnelo.exe and its tests (unit tests, Wine checks, same-bytes row, zip run): $no_pe32_reason; the same 32-bit code runs as an i686 Linux build under qemu-i386 instead"
    echo "SKIPPING $skipped"
fi

# The strict configurations first: the release command's own build below then reuses them, and
# the tests run on what it packed.
echo "=== release packages, as the release command builds them ==="
for preset in release linux-arm64 windows-x86 windows-x64 web; do cmake --preset "ci-$preset" >/dev/null; done
./scripts/package.sh
# The second build of the release, elsewhere, takes only what CPU the checks below leave idle
# (they spend much of their time waiting for Wine, Xvfb and the browser); it is waited for last.
# In a session of its own, so that a test command that stops early stops it too.
setsid nice -n 19 tests/package/rebuild.sh dist >build/rebuild.log 2>&1 &
rebuild=$!
trap 'kill -- -"$rebuild" 2>/dev/null || true' EXIT

for preset in release asan fuzz; do
    echo "=== $preset ==="
    cmake --preset "ci-$preset"
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

# The Windows builds, the 32-bit varnelo.exe for users and the 64-bit one, each with its unit
# tests run under Wine, which hands the 32-bit programs to its 32-bit loader.
echo "=== windows ==="
renders=(build/release/tools/render/varnelo-render build/asan/tools/render/varnelo-render)
for preset in windows-x86 windows-x64; do
    cmake --preset "ci-$preset"
    if [ "$preset" = windows-x64 ] || [ -z "$skipped" ]; then
        cmake --build --preset "$preset" -j "$jobs"
        tests/windows/wine.sh --prefix ctest --preset "$preset" -j "$jobs"
        renders+=("build/$preset/tools/render/varnelo-render.exe")
    else
        cmake --build --preset "$preset" -j "$jobs" --target varnelo varnelo-render
    fi
done
tests/windows/run-wine-checks.sh

if [ -n "$skipped" ]; then
    echo "=== the 32-bit code as i686 Linux, under qemu-i386 ==="
    cmake --preset ci-linux-i686
    cmake --build --preset linux-i686 -j "$jobs"
    ctest --preset linux-i686 -j "$jobs"
    renders+=(build/linux-i686/tools/render/varnelo-render)
fi

# The arm64 package's build: its picture and compositor tests, on top of what the release
# command built, under qemu-aarch64.
echo "=== arm64, under qemu-aarch64 ==="
cmake --build --preset linux-arm64 -j "$jobs" --target image_tests mix_tests varnelo-pictures
# qemu-user keeps an address-space limit (RLIMIT_AS) from its guest, so a load cannot be made to
# run out of memory there.
echo "SKIP Tga.RefusalsWithoutMemory under qemu-aarch64: the emulator applies no RLIMIT_AS to the program"
GTEST_FILTER=-Tga.RefusalsWithoutMemory ctest --preset linux-arm64 -j "$jobs" -R '^(image|mix)\.unit$'
renders+=(build/linux-arm64/tools/render/varnelo-render)
# The arm64 package's icons are drawn by its own varnelo-pictures: every file it writes must be the native one's.
rm -rf build/drawn && mkdir -p build/drawn/native build/drawn/arm64
for form in "" --icons; do
    build/release/tools/pictures/varnelo-pictures $form build/drawn/native
    qemu-aarch64 build/linux-arm64/tools/pictures/varnelo-pictures $form build/drawn/arm64
done
diff -r build/drawn/native build/drawn/arm64

echo "=== same bytes from every build ==="
tests/windows/same-bytes-everywhere.sh assets "${renders[@]}"

# The web build: the image and mix tests under node, then the page in headless Chromium
# against the release build's varnelo-render.
echo "=== web ==="
cmake --preset ci-web
cmake --build --preset web -j "$jobs"
ctest --preset web -j "$jobs"
# Debian's npm 9, on Debian 12 and 13 alike, cannot read the lock's overrides (it takes their "latest" for a
# version range); where the machine's npm is older than 10, npm 10 from the registry installs them, started
# from outside the folder, which npm 9 would otherwise read first.
npm=(npm) && [ "$(npm --version | cut -d. -f1)" -ge 10 ] || npm=(npx --yes npm@10.9.2)
(web_tests=$PWD/tests/web && cd / && "${npm[@]}" ci --prefix "$web_tests" --no-audit --no-fund --loglevel=error)
node tests/web/page_test.mjs build/web/page build/release/tools/render/varnelo-render assets

# The packages made first, checked as users meet them: the .deb unpacked into a throw-away root
# (not installed) with lintian's verdict, the Windows zips under Wine, the web zip in headless
# Chromium and as the web command serves it, with Lighthouse's verdict; then the same release
# built a second time elsewhere.
echo "=== release packages ==="
tests/package/check-packages.sh dist build/release/tools/render/varnelo-render
echo "=== the release built again elsewhere ==="
status=0 && wait "$rebuild" || status=$?
cat build/rebuild.log
[ "$status" -eq 0 ]

[ -z "$skipped" ] || echo "SKIPPED $skipped"
