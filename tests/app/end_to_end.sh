#!/usr/bin/env bash
# The real program under Xvfb: the pointer steers, F12 saves a screenshot, Esc quits; a start-up without its spot, or
# in a window nothing draws in, says why in a box too; and a close request ends the program while that box waits.
# Then each shape of the picture, full screen and in a window, Alt+Enter switching between them.
# usage: end_to_end.sh VARNELO VARNELO_RENDER ASSETS_DIR LSAN_SUPPRESSIONS REFUSE_DRAWING_LIBRARY
set -uo pipefail
source "$(dirname "$0")/../support/desktop.sh"
program=$(readlink -f "$1") assets=$3
export LSAN_OPTIONS="suppressions='$4':print_suppressions=0"
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-e2e-XXXXXX")
trap 'stop_xvfb; rm -rf "$work"' EXIT
set -e

start_xvfb "$work" 960x720x24
mkdir "$work/run" && cp "$assets/spot.tga" "$assets/scr.tga" "$work/run/"
reference_frame "$2" "$assets" "$work/expected.bmp"
# A file named where a benchmark hook once looked is not written.
echo kept >"$work/kept"
(cd "$work/run" && VARNELO_FLIP_TRACE="$work/kept" timeout -k 5 60 "$program" >stdout 2>stderr
 echo $? >"$work/exit") &
# Once the pictures are read, start-up centres the pointer.
pointer_at() { [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "X=$1 Y=$2 " ]; }
wait_for 20 pointer_at 481 361 || fail "the pointer was never centred"
expected_log >"$work/expected.log"
play_session 0 60 960 600 "$work/expected.log" || { cat "$work/run/stderr" >&2; exit 1; }
[ "$(cat "$work/kept")" = kept ] || fail "the program wrote into a file named in its environment"

# The error box, a window titled "varnelo" (the program's own is "Varnelo").
box() { xwininfo -root -children | awk '$2 == "\"varnelo\":" { print $1 }' | grep .; }

# start_fails FOLDER MESSAGE [ENV...]: a start-up in FOLDER says MESSAGE on stderr and in a box, and ends with 1.
start_fails() {
    (set +e; cd "$1" && env "${@:3}" timeout -k 5 30 "$program" >stdout 2>stderr; echo $? >exit) &
    wait_for 20 box && [ ! -e "$1/exit" ] || fail "no box waits for an answer: $(cat "$1/stderr")"
    xdotool windowfocus --sync "$(box)" key Return
    wait_for 20 test -s "$1/exit" && [ "$(cat "$1/exit")" = 1 ] || fail "start-up in $1 did not end with 1"
    grep -qxF "$2" "$1/stderr" || fail "no \"$2\" on stderr: $(cat "$1/stderr")"
}
mkdir "$work/no-spot" && cp "$assets/scr.tga" "$work/no-spot/"
start_fails "$work/no-spot" "varnelo: cannot read spot.tga: No such file or directory"
cmp -s "$work/no-spot/DirectX.log" <(expected_log) || fail "a start-up without its spot wrote no full log"

# A window SDL cannot draw in: the start-up says so, the log says no hardware. (LD_PRELOAD splits paths at blanks: copied.)
mkdir "$work/no-drawing" && cp "$assets/spot.tga" "$assets/scr.tga" "$work/no-drawing/"
start_fails "$work/no-drawing" "varnelo: cannot show the picture: DirectDraw could not be started (DirectX.log says why)" \
    LD_PRELOAD="$(cp "$5" "$work/" && echo "$work/${5##*/}")" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
cmp -s "$work/no-drawing/DirectX.log" <(expected_log | head -n 3 && echo "Hardware nepodporuje DDraw !") ||
    fail "DirectX.log of a window nothing draws in: $(cat -A "$work/no-drawing/DirectX.log")"

# SIGINT (Ctrl+C) or SIGTERM (a logout) while the box waits ends the program within a second with 1, and the box's process.
for signal in INT TERM; do
    (cd "$work/no-spot" && exec "$program" >stdout 2>stderr) &
    pid=$!
    wait_for 20 box && shows_box=$(pgrep -P "$pid") || fail "no box shown by a child process: $(cat "$work/no-spot/stderr")"
    kill -s "$signal" "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null && sleep 0.02; done
    kill -9 "$pid" 2>/dev/null && fail "SIG$signal did not end the program within a second while its box waited"
    code=0 && wait "$pid" || code=$?
    [ "$code" = 1 ] || fail "SIG$signal while the box waited: exit code $code, not 1"
    wait_for 5 bash -c "! ps -o stat= -p $shows_box | grep -qv Z && ! xwininfo -root -children | grep -qF '\"varnelo\":'" ||
        fail "the box outlived the program"
done

# At 1920 x 1080, where the shapes differ, and the largest window of whole multiples is smaller than the screen. The
# Motif hints' name is made first, as a window manager makes it, so that SDL says whether it wants a frame.
stop_xvfb && start_xvfb "$work" 1920x1080x24 && xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0
# shows OPTIONS LEFT,TOP,WIDTH,HEIGHT [SWITCH...]: started with OPTIONS, a session as play_session's, the frame first there.
shows() {
    echo "--- varnelo $1" && rm -rf "$work/run" "$work/exit" && mkdir "$work/run" && cp "$assets"/{spot,scr}.tga "$work/run/"
    (cd "$work/run" && timeout -k 5 60 "$program" $1 >stdout 2>stderr; echo $? >"$work/exit") &
    play_session ${2//,/ } "$work/expected.log" "${@:3}" || { cat "$work/run/stderr" >&2 && return 1; }
}
shows "" 96,0,1728,1080 window:160,40,1600,1000 resize-1000x1000:160,227,1000,625 full:96,0,1728,1080
shows "--aspect 4:3" 240,0,1440,1080 window:320,60,1280,960 full:240,0,1440,1080
# A panel along the bottom leaves windows 990 rows: four times 320 x 200, centred there; full screen covers it.
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,1920,990
shows "--whole" 160,40,1600,1000 window:320,95,1280,800 full:160,40,1600,1000
# 4:3 in whole multiples: the window 3 x 4 of its pixels each (960 x 800), which 4 x 5 (1280 x 1000) would overflow.
shows "--window --aspect 4:3 --whole" 480,95,960,800 full:320,40,1280,1000 window:480,95,960,800
echo PASS
