#!/usr/bin/env bash
# What each shape of the picture costs under Wine: varnelo.exe on a 1920 x 1080 screen that refuses 320 x 200, in a
# window (--window) and over the whole screen, square, 4:3 and at whole multiples, the pointer circling over the picture.
# Reports, per case, the median over the rounds of the program's CPU time per presented frame (its page locks, from
# Wine's own trace) over 10 s after a settling second; whole multiples must cost no more than square's scaling.
# usage: bench/windows/shapes_cpu.sh [BUILD_DIR] [ROUNDS]   (default: build/windows-x86, 3)
source "$(dirname "$0")/setup.sh"
start_xvfb "$work" 1920x1080x24 >/dev/null && wine_make_prefix "$work/prefix"
wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
# The pointer round the middle of the screen, a step every 20 ms, for the whole run.
while :; do
    for step in $(seq 0 156); do
        xdotool mousemove $((960 + 200 * step / 157)) $((540 + 150 * step / 157)) 2>/dev/null || true
        sleep 0.02
    done
done &
mover=$!

# our_program: the id of the varnelo.exe in this prefix (other runs may have theirs).
our_program() {
    local pid
    for pid in $(pgrep -u "$(id -u)" -f '^([^ ]*[\\/])?varnelo\.exe( |$)'); do
        tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid" && return 0
    done
    return 1
}

# measure OPTIONS...: prints the CPU milliseconds per frame of one run.
measure() {
    (cd "$work/run" && WINEDEBUG=trace+ddraw wine_run varnelo.exe "$@" 2>"$work/trace.log" >/dev/null) &
    wait_for 60 our_program || { echo "no varnelo.exe" >&2; exit 1; }
    local pid ticks0 frames0 ticks1 frames1
    pid=$(our_program)
    sleep 1
    ticks0=$(awk '{print $14 + $15}' "/proc/$pid/stat") frames0=$(grep -c 'ddraw_surface7_Lock ' "$work/trace.log" || true)
    sleep "$seconds"
    ticks1=$(awk '{print $14 + $15}' "/proc/$pid/stat") frames1=$(grep -c 'ddraw_surface7_Lock ' "$work/trace.log" || true)
    awk -v t=$((ticks1 - ticks0)) -v f=$((frames1 - frames0)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f\n", 1000 * t / hz / f }'
    wine_stop
}

cases=("window, square|--window" "window, 4:3|--window --aspect 4:3" "window, whole|--window --whole"
       "full screen, square|" "full screen, 4:3|--aspect 4:3" "full screen, whole|--whole")
declare -A taken
for round in $(seq "$rounds"); do
    for case in "${cases[@]}"; do
        read -ra options <<<"${case#*|}"
        taken[$case]+="$(measure "${options[@]}") "
    done
done
printf '%-22s %s\n' "case" "CPU ms per frame: median (each round)"
for case in "${cases[@]}"; do
    printf '%-22s %s\n' "${case%%|*}" "$(tr ' ' '\n' <<<"${taken[$case]}" | sort -n | grep . |
        awk '{ v[NR] = $1; all = all " " $1 } END { printf "%s (%s)", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, substr(all, 2) }')"
done
