#!/usr/bin/env bash
# Fitting a phone's photo with varnelo-render: a 12- and a 48-megapixel JPEG, made as
# bench/web/pictures.mjs makes them, decoded and fitted as the scene, medians of five of the
# wall time and the largest memory; beside the page's figures from that benchmark.
# usage: bench/image/fit_photos.sh [VARNELO_RENDER]   (default build/release/tools/render/varnelo-render)
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
render=$(readlink -f "${1:-$project/build/release/tools/render/varnelo-render}")
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

for photo in "12 4032 3024" "48 8000 6000"; do
    read -r megapixels width height <<<"$photo"
    /usr/bin/python3 -c '
import random, sys
from PIL import Image
random.seed(12)
width, height = int(sys.argv[2]), int(sys.argv[3])
shapes = Image.frombytes("RGB", (48, 36), bytes(random.randrange(256) for _ in range(48 * 36 * 3)))
grain = Image.effect_noise((width, height), 24).convert("RGB")
Image.blend(shapes.resize((width, height), Image.BICUBIC), grain, 0.15).save(sys.argv[1], quality=90)
' "$work/photo.jpg" "$width" "$height"
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f "%e %M" "$render" --fit-scene "$work/photo.jpg" -o "$work/scr.tga" 2>&1 >/dev/null
    done | sort -n | sed -n 3p | awk -v mp="$megapixels" '{ printf "%s MP JPEG: decoded and fitted in %d ms (median of 5), at most %d MB\n", mp, $1 * 1000, $2 / 1024 }'
done
