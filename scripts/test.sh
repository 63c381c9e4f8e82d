#!/usr/bin/env bash
# The test command: installs what is missing, then builds and tests the release build,
# the sanitizer build and the fuzz targets, then the Windows builds, checked under Wine, then
# the web build, checked under node and in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs=$(nproc)

for preset in release asan fuzz; do
    echo "=== $preset ==="
    cmake --preset "$preset" -DVARNELO_WERROR=ON
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

# The Windows builds: the 32-bit varnelo.exe for users, and the 64-bit build whose tests run
# here under wine64, since this kernel runs no 32-bit programs.
echo "=== windows ==="
for preset in windows-x86 windows-x64; do
    cmake --preset "$preset" -DVARNELO_WERROR=ON
    cmake --build --preset "$preset" -j "$jobs"
done
tests/windows/with-wine-prefix.sh ctest --preset windows-x64 -j "$jobs"
tests/windows/run-wine-checks.sh

# The web build: the image and mix tests under node, then the page in headless Chromium
# against the release build's varnelo-render.
echo "=== web ==="
export NODE_PATH=/usr/share/nodejs  # Debian's emscripten finds its own node modules there
cmake --preset web -DVARNELO_WERROR=ON
cmake --build --preset web -j "$jobs"
ctest --preset web -j "$jobs"
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node tests/web/page_test.mjs build/web/page build/release/tools/render/varnelo-render assets
