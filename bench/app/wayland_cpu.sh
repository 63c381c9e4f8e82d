#!/usr/bin/env bash
# What a frame costs on a Wayland desktop, through XWayland and through SDL's own Wayland driver,
# side by side under one compositor (sway on its headless backend, one 1920 x 1080 output): each
# way runs ROUNDS times in turn, with the pointer still and with it circling over the picture, and
# the CPU time the program used (user + system) over 10 s past its start-up is divided by the 500
# timer ticks of those 10 s. What sway and XWayland used meanwhile is reported beside it.
# usage: bench/app/wayland_cpu.sh [BUILD_DIR ROUNDS]     (default build/release 5)
source "$(dirname "$0")/setup.sh"
rounds=${2:-5}
seconds=10 width=1920 height=1080
start_sway "$work" "${width}x$height"
start_input "$work/wayland_input.py"

# cpu_ticks PID...: the CPU time the processes used so far, in clock ticks.
cpu_ticks() { for pid in "$@"; do awk '{ print $14 + $15 }' "/proc/$pid/stat"; done | awk '{ sum += $1 } END { print sum }'; }

# circle WAY: the pointer goes round the middle of the output, a step every 20 ms, until killed.
# On Wayland through the seat's virtual pointer; on XWayland through X itself, as sway 1.7 crashes
# when a virtual pointer moves over an XWayland window.
circle() {
    local step=0 x y
    while :; do
        x=$(awk -v s=$step -v w=$width 'BEGIN { printf "%d", w / 2 + w / 6 * cos(s / 20) }')
        y=$(awk -v s=$step -v h=$height 'BEGIN { printf "%d", h / 2 + h / 6 * sin(s / 20) }')
        if [ "$1" = wayland ]; then input point "$x" "$y" "$width" "$height"; else client DISPLAY="$x_display" xdotool mousemove "$x" "$y"; fi
        sleep 0.02
        step=$((step + 1))
    done
}

# run WAY POINTER: one bounded run; adds the program's CPU ms and that of sway and XWayland to
# the round's figures.
run() {
    local driver=(SDL_VIDEODRIVER=wayland) pid others before mover=""
    [ "$1" = wayland ] || driver=(SDL_VIDEODRIVER=x11 DISPLAY="$x_display")
    (cd "$work/run" && exec "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland_display" "${driver[@]}" \
        "$work/varnelo" >/dev/null 2>&1) &
    wait_for 20 pgrep -xf "$work/varnelo" || { echo "the program did not start" >&2 && return 1; }
    pid=$(pgrep -xf "$work/varnelo")
    sleep 2  # past start-up, which compiles the renderer's shaders
    [ "$2" = still ] || { circle "$1" & mover=$!; }
    others=("$sway_pid" $(pgrep -x Xwayland || true))
    before="$(cpu_ticks "$pid") $(cpu_ticks "${others[@]}")"
    sleep "$seconds"
    read -r program_before others_before <<<"$before"
    program_ms[$1-$2]+=" $(( ($(cpu_ticks "$pid") - program_before) * 1000 / ticks_per_second ))"
    compositor_ms[$1-$2]+=" $(( ($(cpu_ticks "${others[@]}") - others_before) * 1000 / ticks_per_second ))"
    [ -z "$mover" ] || { kill "$mover" && wait "$mover"; } 2>/dev/null || true
    input key Escape
    wait_for 20 eval "! kill -0 $pid 2>/dev/null" || { echo "the program did not end" >&2 && return 1; }
}

declare -A program_ms compositor_ms
for ((round = 1; round <= rounds; ++round)); do
    for pointer in still circling; do
        for way in xwayland wayland; do run "$way" "$pointer"; done
    done
done

frames=$((seconds * 50))
echo "sway headless, ${width}x$height, $rounds rounds of $seconds s each way; CPU ms per round:"
for key in "${!program_ms[@]}"; do echo "  $key: program${program_ms[$key]}; sway and XWayland${compositor_ms[$key]}"; done | sort
for pointer in still circling; do
    x=$(median <<<"${program_ms[xwayland-$pointer]}") w=$(median <<<"${program_ms[wayland-$pointer]}")
    xo=$(median <<<"${compositor_ms[xwayland-$pointer]}") wo=$(median <<<"${compositor_ms[wayland-$pointer]}")
    awk -v x="$x" -v w="$w" -v xo="$xo" -v wo="$wo" -v f="$frames" -v s="$seconds" -v p="$pointer" 'BEGIN {
        printf "pointer %s:\n", p
        printf "  through XWayland:        %.3f ms CPU per frame (%.2f %% of a core); sway and XWayland %.2f %%\n", x / f, x / s / 10, xo / s / 10
        printf "  through the Wayland driver: %.3f ms CPU per frame (%.2f %% of a core); sway %.2f %%\n", w / f, w / s / 10, wo / s / 10
        if (x > 0) printf "  Wayland / XWayland:      %.2f x\n", w / x }'
done
