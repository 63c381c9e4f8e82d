#!/usr/bin/env bash
# The run command: installs what the demo needs when missing, builds the Linux programs alone
# (the demo preset, without tests and benchmarks) and starts the demo in run/,
# which holds the two pictures it reads and receives DirectX.log and the screenshots.
# usage: scripts/run.sh [FOLDER]    FOLDER holds your own spot.tga and scr.tga (default: assets/)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
pictures=$(cd "${1:-$project/assets}" && pwd)
for picture in spot.tga scr.tga; do
    if [ ! -f "$pictures/$picture" ]; then
        echo "run.sh: $pictures has no $picture" >&2
        exit 2
    fi
done

cd "$project"
./scripts/install-deps.sh run
cmake --preset demo >/dev/null
cmake --build --preset demo --target varnelo -j "$(nproc)"

mkdir -p run
cp "$pictures/spot.tga" "$pictures/scr.tga" run/
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: varnelo needs a display; without one, run it under xvfb-run (see README.md)" >&2
    exit 1
fi
cd run
exec ../build/demo/platform/varnelo
