#!/usr/bin/env bash
# What a frame costs in each shape of the picture (square, 4:3, whole multiples, both), full screen and in a window, on
# a 1920 x 1080 display: through X11's window surface (Xvfb) and through SDL's Wayland renderer (sway, headless). Each
# case runs ROUNDS times in turn with the pointer circling over the picture, so that every frame changes; the CPU time
# the program used (user + system) over SECONDS past its start-up is divided by the frames of that time (50 a second).
# Prints the median of each case, in ms of CPU per frame. Square full screen is today's scaling.
# usage: bench/app/shape_cpu.sh [BUILD_DIR ROUNDS SECONDS]     (default build/release 3 5)
source "$(dirname "$0")/setup.sh"
rounds=${2:-3} seconds=${3:-5} width=1920 height=1080
start_xvfb "$work" "${width}x${height}x24"
start_sway "$work" "${width}x$height"
start_input "$work/wayland_input.py"
shapes=("square|" "4:3|--aspect 4:3" "whole|--whole" "4:3 whole|--aspect 4:3 --whole")

# circle WAY: the pointer goes round the middle of the display, a step every 20 ms, until killed.
circle() {
    local step=0 x y
    while :; do
        x=$((width / 2 + width / 6 * ${cosines[step % 126]} / 1000)) y=$((height / 2 + height / 6 * ${sines[step % 126]} / 1000))
        if [ "$1" = wayland ]; then input point "$x" "$y" "$width" "$height"; else xdotool mousemove "$x" "$y"; fi
        sleep 0.02
        step=$((step + 1))
    done
}
read -ra cosines <<<"$(awk 'BEGIN { for (s = 0; s < 126; ++s) printf "%d ", 1000 * cos(s / 20) }')"
read -ra sines <<<"$(awk 'BEGIN { for (s = 0; s < 126; ++s) printf "%d ", 1000 * sin(s / 20) }')"

# run WAY MODE SHAPE OPTIONS...: one bounded run; adds the program's CPU ms per frame to the case's figures.
run() {
    local way=$1 mode=$2 shape=$3 pid mover before
    local start=(env DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11)
    [ "$way" = x11 ] || start=(client SDL_VIDEODRIVER=wayland)
    (cd "$work/run" && "${start[@]}" "$work/varnelo" "${@:4}" >/dev/null 2>&1) &
    wait_for 20 pgrep -f "^$work/varnelo" || { echo "the program did not start" >&2 && return 1; }
    pid=$(pgrep -f "^$work/varnelo")
    sleep 2  # past start-up, which compiles the renderer's shaders
    [ "$mode" = full ] || if [ "$way" = x11 ]; then xdotool key alt+Return; else input key Alt+Return; fi
    circle "$way" & mover=$!
    sleep 1
    before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep "$seconds"
    cpu_ms["$way $mode $shape"]+=" $(awk -v a="$before" -v t="$ticks_per_second" -v f=$((seconds * 50)) \
        '{ printf "%.3f", ($14 + $15 - a) * 1000 / t / f }' "/proc/$pid/stat")"
    { kill "$mover" && wait "$mover"; } 2>/dev/null || true
    if [ "$way" = x11 ]; then xdotool key Escape; else input key Escape; fi
    wait_for 20 eval "! kill -0 $pid 2>/dev/null" || { echo "the program did not end" >&2 && return 1; }
}

declare -A cpu_ms
for ((round = 1; round <= rounds; ++round)); do
    for shape in "${shapes[@]}"; do
        for way in x11 wayland; do
            for mode in full window; do run "$way" "$mode" "${shape%%|*}" ${shape#*|}; done
        done
    done
done

echo "${width}x$height, the pointer circling; ms of CPU per frame, median of $rounds rounds of $seconds s"
printf '%-10s %12s %12s %12s %12s\n' shape "X11 full" "X11 window" "Wayland full" "Wayland win"
for shape in "${shapes[@]}"; do
    printf '%-10s' "${shape%%|*}"
    for key in "x11 full" "x11 window" "wayland full" "wayland window"; do
        printf ' %12s' "$(median <<<"${cpu_ms[$key ${shape%%|*}]}")"
    done
    echo
done
