#!/usr/bin/env bash
# The test command: installs what is missing, then builds and tests the release build,
# the sanitizer build and the fuzz targets.
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
