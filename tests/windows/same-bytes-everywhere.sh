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
# A prefix of its own, so that stopping its wineserver at the end touches no one else's.
export WINEPREFIX="$work/prefix"

# The pictures, written by ImageMagick: the bundled pair, a 64 x 64 spot whose bytes run
# through every value 48 times (a different value in each channel of a pixel), and a
# run-length scene of seeded noise to mix it with.
mkdir "$work/in"
cp "$assets/spot.tga" "$assets/scr.tga" "$work/in/"
/usr/bin/python3 -c 'import sys; sys.stdout.buffer.write(bytes(i % 256 for i in range(64 * 64 * 3)))' |
    convert -size 64x64 -depth 8 rgb:- -type TrueColor -orient TopLeft "$work/in/bytes.tga" || exit 1
convert -seed 9 -size 320x200 xc:gray +noise Random -type TrueColor -orient TopLeft -compress RLE \
    "$work/in/noise.tga" || exit 1

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
        [ -d "$WINEPREFIX" ] || wine_make_prefix "$WINEPREFIX" || { echo "could not create a Wine prefix"; return 1; }
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
