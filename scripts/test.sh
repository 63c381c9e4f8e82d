#!/usr/bin/env bash
# The test command: installs what is missing, then builds and tests the release build,
# the sanitizer build and the fuzz targets, then the Windows builds, checked under Wine, then
# checks that every build renders the same bytes, and last the web build, checked under node
# and in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs=$(nproc)

for preset in release asan fuzz; do
    echo "=== $preset ==="
    cmake --preset "ci-$preset"
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

# The Windows builds, the 32-bit varnelo.exe for users and the 64-bit one, each with its unit
# tests run under Wine, which hands the 32-bit programs to its 32-bit loader.
echo "=== windows ==="
for preset in windows-x86 windows-x64; do
    cmake --preset "ci-$preset"
    cmake --build --preset "$preset" -j "$jobs"
    tests/windows/wine.sh --prefix ctest --preset "$preset" -j "$jobs"
done
tests/windows/run-wine-checks.sh

echo "=== same bytes from every build ==="
tests/windows/same-bytes-everywhere.sh assets build/release/tools/render/varnelo-render \
    build/asan/tools/render/varnelo-render build/windows-x86/tools/render/varnelo-render.exe \
    build/windows-x64/tools/render/varnelo-render.exe

# The web build: the image and mix tests under node, then the page in headless Chromium
# against the release build's varnelo-render.
echo "=== web ==="
export NODE_PATH=/usr/share/nodejs  # Debian's emscripten finds its own node modules there
cmake --preset ci-web
cmake --build --preset web -j "$jobs"
ctest --preset web -j "$jobs"
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node tests/web/page_test.mjs build/web/page build/release/tools/render/varnelo-render assets

# The release packages packed from the builds above, and checked as users meet them: the .deb
# unpacked into a throw-away root (not installed) with lintian's verdict, the Windows zips under
# Wine, the web zip in headless Chromium.
echo "=== release packages ==="
./scripts/package.sh --no-build
tests/package/check-packages.sh dist build/release/tools/render/varnelo-render
