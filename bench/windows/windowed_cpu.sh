#!/usr/bin/env bash
# What showing the frames in a window costs under Wine: varnelo.exe on screens of 640 x 480 and
# 1920 x 1080 that refuse 320 x 200, against exclusive full screen in a 320 x 200 virtual
# desktop, one after the other in one run, with the pointer still and with it circling over the
# picture. Reports, over 10 s after a settling second, the CPU share of one core that the program
# used and its frames per second (its presentations, counted from Wine's own trace of the page
# locks, one a frame).
# usage: bench/windows/windowed_cpu.sh [BUILD_DIR] [ROUNDS]   (default: build/windows-x86, 3)
source "$(dirname "$0")/setup.sh"

# cpu_ticks PID: the user and system clock ticks the process has used.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# frames LOG: how many frames were presented: each locks a page once.
frames() { grep -c 'ddraw_surface7_Lock ' "$1" || true; }

# circle WIDTH HEIGHT: moves the pointer round the middle of the screen, a step every 20 ms.
circle() {
    local step=0
    while :; do
        xdotool mousemove $(awk -v s=$step -v w="$1" -v h="$2" 'BEGIN {
            r = (w < h ? w : h) / 4; printf "%d %d", w / 2 + r * cos(s / 25), h / 2 + r * sin(s / 25) }')
        step=$((step + 1))
        sleep 0.02
    done
}

# measure SCREEN DESKTOP POINTER: prints "cpu% fps" for one run.
measure() {
    start_xvfb "$work" "$1" >/dev/null || exit 1
    local prefix_ready=$work/prefix/system.reg
    [ -f "$prefix_ready" ] || wine_make_prefix "$work/prefix" || exit 1
    export WINEPREFIX=$work/prefix
    wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
    local command=(varnelo.exe)
    [ -z "${2:-}" ] || command=(explorer "/desktop=varnelo,$2" varnelo.exe)
    (cd "$work/run" && WINEDEBUG=trace+ddraw wine_run "${command[@]}" 2>"$work/trace.log" >/dev/null) &
    local pid=""
    wait_for 60 pgrep -f '^([^ ]*[\\/])?varnelo\.exe( |$)' || { echo "no varnelo.exe" >&2; exit 1; }
    pid=$(pgrep -f '^([^ ]*[\\/])?varnelo\.exe( |$)' | head -n 1)
    local mover=""
    if [ "$3" = circling ]; then
        circle "${1%%x*}" "$(cut -dx -f2 <<<"$1")" &
        mover=$!
    fi
    sleep 1
    local ticks0 frames0 ticks1 frames1 hz
    ticks0=$(cpu_ticks "$pid") frames0=$(frames "$work/trace.log")
    sleep "$seconds"
    ticks1=$(cpu_ticks "$pid") frames1=$(frames "$work/trace.log")
    [ -z "$mover" ] || kill "$mover"
    hz=$(getconf CLK_TCK)
    awk -v t=$((ticks1 - ticks0)) -v f=$((frames1 - frames0)) -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%.1f %.2f\n", 100 * t / hz / s, f / s }'
    wine_stop
    stop_xvfb
}

printf '%-44s %8s %8s\n' "run" "cpu %" "fps"
for round in $(seq "$rounds"); do
    for pointer in still circling; do
        for case in "windowed 640x480|640x480x24|" "windowed 1920x1080|1920x1080x24|" \
                    "exclusive, 320x200 virtual desktop|640x480x24|320x200"; do
            IFS='|' read -r name screen desktop <<<"$case"
            read -r cpu fps < <(measure "$screen" "$desktop" "$pointer")
            printf '%-44s %8s %8s\n' "$name, pointer $pointer ($round)" "$cpu" "$fps"
        done
    done
done
