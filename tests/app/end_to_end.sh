#!/usr/bin/env bash
# The real program under Xvfb as a user meets it: the pointer steers the spot, F12 saves a
# screenshot, Esc quits; and a start-up without its spot says why, in a box as well.
# usage: end_to_end.sh VARNELO VARNELO_RENDER ASSETS_DIR LSAN_SUPPRESSIONS
set -uo pipefail
source "$(dirname "$0")/../support/desktop.sh"
program=$(readlink -f "$1") assets=$3
export LSAN_OPTIONS="suppressions=$4:print_suppressions=0"
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-e2e-XXXXXX")
# Without its X server a program left running ends at once.
trap 'stop_xvfb; rm -rf "$work"' EXIT
set -e

# 960 x 720 letterboxes the frame at three times its size: 960 x 600 from row 60.
start_xvfb "$work" 960x720x24
mkdir "$work/run" && cp "$assets/spot.tga" "$assets/scr.tga" "$work/run/"
reference_frame "$2" "$assets" "$work/expected.bmp"
# The program reads no configuration: a file named where a benchmark hook once looked stays as is.
echo kept >"$work/kept"
(cd "$work/run" && VARNELO_FLIP_TRACE="$work/kept" timeout -k 5 60 "$program" >stdout 2>stderr
 echo $? >"$work/exit") &
# Once it has read the pictures, start-up puts the pointer in the middle of the frame.
pointer_at() { [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "X=$1 Y=$2 " ]; }
wait_for 20 pointer_at 481 361 || fail "the pointer was never centred"
expected_log >"$work/expected.log"
play_session 0 60 960 600 "$work/expected.log" || { cat "$work/run/stderr" >&2; exit 1; }
[ "$(cat "$work/kept")" = kept ] || fail "the program wrote into a file named in its environment"

# start_fails FOLDER MESSAGE: a start-up in FOLDER says MESSAGE on stderr and in a box titled
# "varnelo" (the window is "Varnelo"), and ends with 1 once the box is answered.
start_fails() {
    (set +e; cd "$1" && timeout -k 5 30 "$program" >stdout 2>stderr; echo $? >exit) &
    box() { xwininfo -root -children | awk '$2 == "\"varnelo\":" { print $1 }' | grep .; }
    wait_for 20 box && [ ! -e "$1/exit" ] || fail "no box waits for an answer: $(cat "$1/stderr")"
    xdotool windowfocus --sync "$(box)" key Return
    wait_for 20 test -s "$1/exit" && [ "$(cat "$1/exit")" = 1 ] || fail "start-up in $1 did not end with 1"
    grep -qxF "$2" "$1/stderr" || fail "no \"$2\" on stderr: $(cat "$1/stderr")"
}
mkdir "$work/no-spot" && cp "$assets/scr.tga" "$work/no-spot/"
start_fails "$work/no-spot" "varnelo: cannot read spot.tga: No such file or directory"
# The log is written all the same.
cmp -s "$work/no-spot/DirectX.log" <(expected_log) || fail "a start-up without its spot wrote no full log"
echo PASS
