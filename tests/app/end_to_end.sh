#!/usr/bin/env bash
# The real program under Xvfb: the pointer steers the spot, F12 saves a screenshot, Esc quits.
# Checks the exit code, the screenshot against varnelo-render, the display log, and the screen;
# then that a start-up without its spot, or without a display, fails and says why.
# usage: end_to_end.sh VARNELO VARNELO_RENDER ASSETS_DIR LSAN_SUPPRESSIONS
set -euo pipefail

program=$1
render=$2
assets=$3
suppressions=$4

# The frame position to steer to, and a desktop that letterboxes the picture at three times its size.
frame_x=100
frame_y=70
screen_w=960
screen_h=720

work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-e2e-XXXXXX")
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/run/stderr" ]; then
        echo "--- program stderr ---" >&2
        cat "$work/run/stderr" >&2
    fi
    exit 1
}

# Polls a condition every 50 ms for at most the given seconds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 20))
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}

# Xvfb picks a free display number itself and writes it to the file.
Xvfb -displayfd 3 -noreset -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

mkdir "$work/run"
cp "$assets/spot.tga" "$assets/scr.tga" "$work/run/"
(
    cd "$work/run"
    export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
    export ASAN_OPTIONS="detect_leaks=1"
    exec timeout -k 5 60 "$program" >stdout 2>stderr
) &
program_pid=$!

# Where the picture lands: scaled to fit with its aspect kept, centred.
if [ $((screen_w * 200)) -le $((screen_h * 320)) ]; then
    fit_w=$screen_w
    fit_h=$((screen_w * 200 / 320))
else
    fit_h=$screen_h
    fit_w=$((screen_h * 320 / 200))
fi
fit_x=$(((screen_w - fit_w) / 2))
fit_y=$(((screen_h - fit_h) / 2))
# The middle of a frame pixel on the screen.
screen_x() { echo $((fit_x + (2 * $1 + 1) * fit_w / 640)); }
screen_y() { echo $((fit_y + (2 * $1 + 1) * fit_h / 400)); }

log_complete() { [ -f "$work/run/DirectX.log" ] && [ "$(wc -l <"$work/run/DirectX.log")" -ge 17 ]; }
wait_for 20 log_complete || fail "the display set-up did not finish"
# Start-up puts the pointer in the middle of the frame once it has read the pictures.
pointer_at() { [ "$(xdotool getmouselocation --shell | head -n2 | tr '\n' ' ')" = "X=$1 Y=$2 " ]; }
wait_for 20 pointer_at "$(screen_x 160)" "$(screen_y 100)" || fail "the pointer was never centred"

xdotool mousemove --sync "$(screen_x $frame_x)" "$(screen_y $frame_y)"
xdotool key F12
screenshot="$work/run/Screenshot 0.bmp"
screenshot_written() { [ -f "$screenshot" ] && [ "$(stat -c %s "$screenshot")" -eq $((54 + 320 * 200 * 3)) ]; }
wait_for 20 screenshot_written || fail "no screenshot after F12"

# The spot stays put, so the screen keeps showing the screenshot's frame.
import -window root "$work/screen.png"
xdotool key Escape
exit_code=0
wait "$program_pid" || exit_code=$?
program_pid=""

[ "$exit_code" -eq 0 ] || fail "exit code $exit_code"
if grep -E -q "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$work/run/stderr"; then
    fail "the sanitizers reported errors"
fi

"$render" --spot "$assets/spot.tga" --scene "$assets/scr.tga" --at "$frame_x,$frame_y" -o "$work/expected.bmp"
cmp "$screenshot" "$work/expected.bmp" || fail "the screenshot differs from varnelo-render --at $frame_x,$frame_y"
[ ! -e "$work/run/Screenshot 1.bmp" ] || fail "one F12 gave more than one screenshot"

lines=$(wc -l <"$work/run/DirectX.log")
[ "$lines" -eq 17 ] || fail "DirectX.log has $lines lines, not 17"

/usr/bin/python3 - "$work/screen.png" "$work/expected.bmp" "$fit_x" "$fit_y" "$fit_w" "$fit_h" <<'PY' || fail "the screen does not show the frame"
import sys
from PIL import Image

screen = Image.open(sys.argv[1]).convert("RGB")
frame = Image.open(sys.argv[2]).convert("RGB")
fit_x, fit_y, fit_w, fit_h = map(int, sys.argv[3:7])
# Sharp pixels: the frame scaled by nearest neighbour into its place, black all around.
expected = Image.new("RGB", screen.size)
expected.paste(frame.resize((fit_w, fit_h), Image.NEAREST), (fit_x, fit_y))
shown, wanted = screen.load(), expected.load()
width, height = screen.size
wrong = sum(1 for y in range(height) for x in range(width) if shown[x, y] != wanted[x, y])
lit = sum(1 for y in range(height) for x in range(width) if shown[x, y] != (0, 0, 0))
print(f"screen: {lit} lit pixels, {wrong} differing from the frame scaled into {fit_w}x{fit_h}+{fit_x}+{fit_y}")
sys.exit(0 if wrong == 0 and lit > 0 else 1)
PY
# A start-up that cannot go on ends with 1 and one line on stderr; the log is written all the same.
start_fails() {
    local folder=$1 expected=$2
    shift 2
    local code=0
    (cd "$folder" && exec timeout -k 5 30 env "$@" "LSAN_OPTIONS=suppressions=$suppressions:print_suppressions=0" \
        "$program" >stdout 2>stderr) || code=$?
    [ "$code" -eq 1 ] || fail "start-up in $folder ended with $code, not 1"
    grep -qxF "$expected" "$folder/stderr" || fail "no \"$expected\" on stderr: $(cat "$folder/stderr")"
}
mkdir "$work/no-spot" "$work/no-display"
cp "$assets/scr.tga" "$work/no-spot/"
start_fails "$work/no-spot" "varnelo: cannot read spot.tga: No such file or directory"
[ "$(wc -l <"$work/no-spot/DirectX.log")" -eq 17 ] || fail "a start-up without its spot did not write the log"
start_fails "$work/no-display" "varnelo: cannot create the window" -u DISPLAY -u WAYLAND_DISPLAY

echo "PASS"
