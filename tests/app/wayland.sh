#!/usr/bin/env bash
# The real program on sway's headless 960 x 720 output, through XWayland and SDL's Wayland driver, also scaled by 2:
# the frame shows at three times its size in real pixels, the pointer steers, Alt+Enter puts it in a window and makes
# it full screen again with the picture fitted either way, F12 saves the frame, Esc ends with 0.
# usage: wayland.sh VARNELO VARNELO_RENDER ASSETS_DIR LSAN_SUPPRESSIONS   (VARNELO: the program, or an unpacked
# download, which its launcher starts)
set -uo pipefail
source "$(dirname "$0")/../support/desktop.sh"
source "$support/sway.sh"
render=$2 assets=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wayland-XXXXXX")
trap 'stop_sway; rm -rf "$work"' EXIT
set -e
mkdir "$work/run" && user_owns "$work/run" && cp -r "$1" "$work/program" && cp "$support/wayland_input.py" "$4" "$work/"
program=$work/program && [ ! -d "$1" ] || program=$work/program/varnelo
start_sway "$work" 960x720 LSAN_OPTIONS="suppressions='$work/$(basename "$4")':print_suppressions=0" ASAN_OPTIONS="${ASAN_OPTIONS:-}"
start_input "$work/wayland_input.py"

# [box="LEFT TOP WIDTH HEIGHT"] [grab="X,Y WxH"] screen_shows_at X,Y: the output (or its part GRAB) shows
# varnelo-render's frame for X,Y in the box (by default between bands of 60 rows).
screen_shows_at() {
    [ -s "$work/at-$1.bmp" ] || "$render" --spot "$assets/spot.tga" --scene "$assets/scr.tga" --at "$1" -o "$work/at-$1.bmp" >/dev/null
    client grim ${grab:+-g "$grab"} "$work/run/screen.png" &&
        picture_shows "$work/run/screen.png" ${box:-0 60 960 600} "$work/at-$1.bmp"
}
# window_is full|tiled|floating:X,Y,WxH: sway's tree holds one window of the program, full screen, tiled, or floating
# with its picture's area at X,Y of size WxH.
window_is() {
    client swaymsg -t get_tree | /usr/bin/python3 -c 'import json, sys
def windows(node):
    return [node] * (node.get("name") == "Varnelo") + sum(map(windows, node["nodes"] + node.get("floating_nodes", [])), [])
def state(window):
    if window["fullscreen_mode"]:
        return "full"
    if window["type"] == "con":
        return "tiled"
    rect, inner = window["rect"], window["window_rect"]
    return "floating:%d,%d,%dx%d" % (rect["x"] + inner["x"], rect["y"] + inner["y"], inner["width"], inner["height"])
states = [state(window) for window in windows(json.load(sys.stdin))]
print("windows", states) or sys.exit(states != [sys.argv[1]])' "$1"
}
# [switches=STATES options=OPTIONS box=...] play LEG CENTRED STEERED ENV...: started with OPTIONS, the light at
# CENTRED, then at STEERED under the pointer (unless empty); after each Alt+Enter the window in the next of the STATES
# (as window_is takes them), the light where it was, the picture fitted into a tiled window or filling a floating one;
# F12, Esc.
play() {
    local leg=$1 run=$work/run/$1 shown=${3:-$2} area=(${box:-0 60 960 600})
    echo "--- $leg" && mkdir "$run" && cp "$assets/spot.tga" "$assets/scr.tga" "$run/" && user_owns "$run"
    (set +e; cd "$run" && client "${@:4}" timeout -k 5 60 "$program" ${options-} >stdout 2>stderr; echo $? >"$run/exit") &
    mapped() { client swaymsg -t get_tree | grep -q '"name": "Varnelo"'; }
    wait_for 30 mapped || fail "$leg: no window was mapped: $(cat "$run/stderr")" || return 1
    for at in $2 $3; do
        [ "$at" = "$2" ] || sleep 1  # past the frames drawn whole after a change: only the light's rows are drawn
        [ "$at" = "$2" ] || input point $((area[0] + (2 * ${at%,*} + 1) * area[2] / 640)) \
            $((area[1] + (2 * ${at#*,} + 1) * area[3] / 400)) 960 720 ||
            fail "$leg: the pointer did not move" || return 1
        wait_for 30 screen_shows_at "$at" || fail "$leg: $(screen_shows_at "$at")" || return 1
    done
    local state size grab box
    for state in ${switches-}; do
        input key Alt+Return && wait_for 30 window_is "$state" || fail "$leg: after Alt+Enter, $(window_is "$state")" || return 1
        grab="" box=${area[*]}
        if [ "${state#floating:}" != "$state" ]; then
            size=${state##*,} && grab="${state#floating:}" && grab="${grab%,*} $size" && box="0 0 ${size/x/ }"
        fi
        wait_for 30 screen_shows_at "$shown" || fail "$leg: after Alt+Enter, $(screen_shows_at "$shown")" || return 1
    done
    input key F12 && wait_for 30 has_size "$run/Screenshot 0.bmp" $((54 + 320 * 200 * 3)) || fail "$leg: F12 saved no whole screenshot" || return 1
    [ ! -e "$run/exit" ] || fail "$leg: the program ended before Esc: $(cat "$run/stderr")" || return 1
    input key Escape && wait_for 30 test -s "$run/exit" || fail "$leg: Esc did not end the program" || return 1
    [ "$(cat "$run/exit")" = 0 ] || fail "$leg: exit code $(cat "$run/exit"), not 0: $(cat "$run/stderr")" || return 1
    cmp "$run/Screenshot 0.bmp" "$work/at-$shown.bmp" && [ ! -e "$run/Screenshot 1.bmp" ] ||
        fail "$leg: the one screenshot is not varnelo-render's frame at $shown" || return 1
    cmp -s "$run/DirectX.log" <(expected_log) || fail "$leg: DirectX.log: $(cat -A "$run/DirectX.log")"
}

# XWayland first and without a pointer: sway 1.7 crashes when a virtual pointer moves over an XWayland window. sway
# floats an X11 window whose size is fixed when it is mapped, as the program's is until it is first in a window: so in
# a window it is floating at three times the frame, centred, sway's own background around it.
switches="floating:0,60,960x600 full" play xwayland 160,100 "" SDL_VIDEODRIVER=x11 DISPLAY="$x_display"
# Mesa's GL driver is unloaded before the leak check, so its leaks hide the program's: those are checked on X11.
on_wayland=(SDL_VIDEODRIVER=wayland LSAN_OPTIONS=detect_leaks=0)
switches="tiled full" play wayland 160,100 100,70 "${on_wayland[@]}"
# The renderer's picture in 4:3 fills the output, each pixel 3 wide and 3.6 tall.
options="--aspect 4:3" box="0 0 960 720" play wayland-4:3 "" 37,181 "${on_wayland[@]}"
# Scaled by 2: 480 x 360 in the pointer's coordinates, the frame drawn three times as large in 960 x 720 pixels.
client swaymsg output HEADLESS-1 scale 2 >/dev/null
play wayland-scaled "" 37,181 "${on_wayland[@]}"
echo PASS
