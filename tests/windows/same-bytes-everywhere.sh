#!/usr/bin/env bash
# Every build of varnelo-render writes the same bytes for the same input as the first, and the first a model's (JPEG
# fits within 3 levels); none is one colour (black equals black) but the black frames whose spot lies off the frame.
# A .exe runs under Wine, i686/arm64 ones in QEMU. usage: same-bytes-everywhere.sh ASSETS RENDER...; exits 1 on a fault.
set -uo pipefail
source "$(dirname "$0")/wine.sh"
assets=$(readlink -f "$1") && shift
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-same-bytes.XXXXXX")
export WINEPREFIX="$work/prefix"
trap 'wine_stop; rm -rf "$work"' EXIT

# By ImageMagick: the bundled pair, a 64 x 64 spot running through every byte value, a run-length noise scene.
mkdir "$work/in" && cp "$assets/spot.tga" "$assets/scr.tga" "$work/in/" || exit 1
/usr/bin/python3 -c 'import sys; sys.stdout.buffer.write(bytes(i % 256 for i in range(64 * 64 * 3)))' |
    convert -size 64x64 -depth 8 rgb:- -type TrueColor -orient TopLeft "$work/in/bytes.tga" || exit 1
convert -seed 9 -size 320x200 xc:gray +noise Random -type TrueColor -orient TopLeft -compress RLE \
    "$work/in/noise.tga" || exit 1
# Photos to fit: a JPEG on its side with Exif orientation 6, and a PNG with alpha.
convert -seed 9 -size 600x400 plasma: "$work/in/photo.png" && /usr/bin/python3 -c 'import sys; from PIL import Image
exif = Image.Exif(); exif[0x0112] = 6; Image.open(sys.argv[1]).save(sys.argv[2], quality=90, exif=exif)' "$work/in/photo.png" "$work/in/photo.jpg" &&
    convert -seed 9 -size 500x420 xc:gray +noise Random -alpha set -channel A +noise Random +channel "$work/in/photo.png" || exit 1

# Each job: the file it writes, then its options; spots inside, across every edge and corner, far outside.
jobs=()
for at in 160,100 100,60 0,0 319,0 0,199 319,199 -31,-31 351,231 -30,100 350,100 160,-30 160,230 \
    -48,100 160,248 5000,5000 -2147483648,2147483647; do
    jobs+=("frame${at/,/_}.bmp --at $at" "noise${at/,/_}.bmp --spot bytes.tga --scene noise.tga --at $at")
done
for picture in spot scr bytes noise; do jobs+=("picture-$picture.bmp --picture $picture.tga"); done
# An output that is there already is replaced (Windows' rename would refuse it).
echo old >"$work/in/replaced.bmp" && jobs+=("replaced.bmp --picture spot.tga")
for photo in photo.jpg photo.png noise.tga; do jobs+=("scene-$photo.tga --fit-scene $photo" "light-$photo.tga --fit-light $photo"); done
# Scenes of other sizes, fitted as they are read.
for size in 640x400 160x100 1x1 321x200 333x211; do
    convert "$work/in/noise.tga" -resize "$size!" -type TrueColor "$work/in/scene-$size.tga" || exit 1
    jobs+=("frame-$size.bmp --scene scene-$size.tga --at 100,70")
done

# render_all RENDER: runs every job here, printing failed ones' files; a .exe in Wine's cmd.exe (its || ignores codes).
render_all() {
    local job program shell=bash or="||"
    program=$(printf %q "$1")
    if [[ "$1" == *.exe ]]; then
        [ -d "$WINEPREFIX" ] || wine_make_prefix "$WINEPREFIX" || echo "(no Wine prefix)"
        cp "$1" . && program=${1##*/} shell="wine_run cmd /q /c" or="& if errorlevel 1"
    else
        case $(od -An -j18 -N2 -tu2 "$1" | tr -d ' ') in
            3) program="qemu-i386 $program" ;;
            183) program="qemu-aarch64 $program" ;;
        esac
    fi
    for job in "${jobs[@]}"; do
        printf '%s %s -o %s >nul %s echo %s\r\n' "$program" "${job#* }" "${job%% *}" "$or" "${job%% *}"
    done >all.bat
    $shell all.bat 2>/dev/null | tr -d '\r'
}

status=0 builds=0 model=$(readlink -f "$(dirname "$0")/../support/render_model.py")
for render in "$@"; do
    render=$(readlink -f "$render") out="$work/out$((builds += 1))"
    cp -r "$work/in" "$out" || exit 1
    failed=$(cd "$out" && render_all "$render"
        ((builds > 1)) || /usr/bin/python3 "$model" . "${jobs[@]}" || echo "(the model broke down)")
    for job in "${jobs[@]}"; do
        cmp -s "$work/out1/${job%% *}" "$out/${job%% *}" || failed+=" ${job%% *}"
    done
    [ -z "$failed" ] && echo "PASS all ${#jobs[@]} files of $render match the first build's and the model" ||
        { echo "FAIL $render fails, differs or is one colour in: ${failed//$'\n'/ }" && status=1; }
done
exit $status
