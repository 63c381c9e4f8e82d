#!/usr/bin/env bash
# Every build of varnelo-render must write the same bytes for the same input: renders a set
# of frames and converts a set of pictures with each build given, then compares them byte for
# byte with the first build's. A .exe runs under Wine, in one cmd.exe for all its renders.
# Usage: same-bytes-everywhere.sh ASSETS RENDER RENDER...; exits 1 on any difference.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-common.sh"

assets=$(readlink -f "$1")
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-same-bytes.XXXXXX")
trap 'wine_stop; rm -rf "$work"' EXIT
[ -n "${WINEPREFIX:-}" ] || wine_make_prefix "$work/prefix" || { echo "could not create a Wine prefix"; exit 1; }

# The pictures: the bundled pair, a 64 x 64 spot whose bytes run through every value 48 times
# (a different value in each channel of a pixel), and a scene of seeded noise to mix it with.
mkdir "$work/in"
cp "$assets/spot.tga" "$assets/scr.tga" "$work/in/"
python3 - "$work/in" <<'EOF'
import random, struct, sys
def write_tga(path, width, height, data):
    with open(path, "wb") as f:
        f.write(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 24, 0x20) + bytes(data))
write_tga(sys.argv[1] + "/bytes.tga", 64, 64, [i % 256 for i in range(64 * 64 * 3)])
noise = random.Random(9)
write_tga(sys.argv[1] + "/noise.tga", 320, 200, [noise.randrange(256) for _ in range(320 * 200 * 3)])
EOF

# Spot centres inside, on and across every edge and corner, and far outside the frame.
positions=("160,100" "100,60" "0,0" "319,0" "0,199" "319,199" "-47,-47" "367,247" "-30,100" "350,100"
    "160,-30" "160,230" "-48,100" "160,248" "5000,5000" "-2147483648,2147483647")
jobs=()
for at in "${positions[@]}"; do
    jobs+=("frame-${at/,/_}.bmp --at $at" "noise-${at/,/_}.bmp --spot bytes.tga --scene noise.tga --at $at")
done
for picture in spot scr bytes noise; do
    jobs+=("picture-$picture.bmp --picture $picture.tga")
done

# render_all RENDER OUT: runs every job with RENDER in a copy of the pictures in OUT.
render_all() {
    local render=$1 out=$2 job
    cp -r "$work/in" "$out"
    if [[ "$render" == *.exe ]]; then
        cp "$render" "$out/"
        {
            printf '@echo off\r\n'
            for job in "${jobs[@]}"; do
                printf '%s %s -o %s\r\nif errorlevel 1 echo %s>>failed.txt\r\n' "$(basename "$render")" \
                    "${job#* }" "${job%% *}" "${job%% *}"
            done
        } >"$out/all.bat"
        (cd "$out" && wine_run cmd /c all.bat >/dev/null 2>&1)
        [ ! -e "$out/failed.txt" ] || { echo "$render failed on: $(tr -d '\r' <"$out/failed.txt" | tr '\n' ' ')"; return 1; }
    else
        for job in "${jobs[@]}"; do
            # shellcheck disable=SC2086 # the options of one job, split on purpose
            (cd "$out" && "$render" ${job#* } -o "${job%% *}" >/dev/null) || { echo "$render failed on ${job%% *}"; return 1; }
        done
    fi
}

status=0
reference=""
index=0
for render in "$@"; do
    render=$(readlink -f "$render")
    index=$((index + 1))
    out="$work/out-$index"
    render_all "$render" "$out" || { status=1; continue; }
    if [ -z "$reference" ]; then
        reference=$render first=$out
        continue
    fi
    differing=()
    for job in "${jobs[@]}"; do
        cmp -s "$first/${job%% *}" "$out/${job%% *}" || differing+=("${job%% *}")
    done
    if [ ${#differing[@]} -eq 0 ]; then
        echo "PASS all ${#jobs[@]} files of $render match $reference"
    else
        echo "FAIL $render differs from $reference in: ${differing[*]}"
        status=1
    fi
done
exit $status
