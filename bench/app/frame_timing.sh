#!/usr/bin/env bash
# Frame timing of the running program: varnelo under Xvfb for 10 s, then a plain SDL2 loop
# (SDL_Delay(20) between presents) measured the same way, as the yardstick. Reports the CPU
# time used, the frames presented and the spread of the intervals between them.
# usage: bench/app/frame_timing.sh [BUILD_DIR]     (default: build/release)
# The build needs the targets varnelo, varnelo_reference_loop and varnelo_flip_stamps, which
# records the presents of either program from outside it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$project/build/release}" && pwd)
program="$build/platform/varnelo"
reference="$build/bench/app/varnelo_reference_loop"
stamper="$build/bench/app/libvarnelo_flip_stamps.so"
seconds=10
screen=960x720x24
python=/usr/bin/python3
source "$project/tests/support/desktop.sh"

for binary in "$program" "$reference" "$stamper"; do
    [ -f "$binary" ] || { echo "frame_timing.sh: $binary is missing; build it first" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-bench-XXXXXX")
run_pid=""
cleanup() {
    [ -n "$run_pid" ] && kill -9 "$run_pid" 2>/dev/null || true
    stop_xvfb || true
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" "$screen" || exit 1

# One xdotool that circles the pointer over the screen, a step every 20 ms, for the window.
circle_pointer() {
    local chain=()
    mapfile -t chain < <("$python" -c "
import math
for step in range($seconds * 50 + 100):
    print('mousemove', int(480 + 300 * math.cos(step / 40)), int(360 + 200 * math.sin(step / 40)), 'sleep', 0.02, sep='\n')")
    xdotool "${chain[@]}" >/dev/null 2>&1 &
    mover_pid=$!
}

# Starts a program with its presents stamped, measures it once it presents, then lets it quit.
# The pointer stands still, or circles when the third argument says "moving".
measure() {
    local name=$1 quit=$2 pointer=$3
    shift 3
    local trace="$work/$name.trace"
    mkdir -p "$work/$name"
    cp "$project/assets/spot.tga" "$project/assets/scr.tga" "$work/$name/"
    # exec: the background job is the program itself, whose /proc entry gets measured
    (cd "$work/$name" && LD_PRELOAD="$stamper" FLIP_STAMPS="$trace" exec "$@" >/dev/null 2>&1) &
    run_pid=$!
    wait_for 20 test -s "$trace" || { echo "$name never presented a frame" >&2; exit 1; }
    sleep 1  # past start-up
    mover_pid=""
    [ "$pointer" = moving ] && circle_pointer
    "$python" "$here/measure.py" "$run_pid" "$trace" "$seconds" >"$work/$name.json"
    [ -n "$mover_pid" ] && kill "$mover_pid" 2>/dev/null && wait "$mover_pid" 2>/dev/null || true
    if [ "$quit" = key ]; then xdotool key Escape; else kill -INT "$run_pid"; fi
    running() { kill -0 "$run_pid" 2>/dev/null; }
    wait_for 20 eval '! running' || { echo "$name did not quit" >&2; exit 1; }
    wait "$run_pid" || true
    run_pid=""
    echo "$name: $(cat "$work/$name.json")"
}

measure varnelo key still "$program"
measure varnelo-moving key moving "$program"
measure reference signal still "$reference"

"$python" - "$work/varnelo.json" "$work/reference.json" "$seconds" "$work/varnelo-moving.json" <<'PY'
import json
import sys

demo, reference = (json.load(open(path)) for path in sys.argv[1:3])
seconds = float(sys.argv[3])
moving = json.load(open(sys.argv[4]))
goal_frames = seconds / 0.020
print(f"varnelo:   {demo['cpu_percent']:.2f} % of a core, {demo['frames']} frames in {demo['seconds']:.2f} s "
      f"(goal <= 3 %, {goal_frames:.0f} +- 5), interval median {demo.get('interval_median_ms')} ms, "
      f"p1..p99 {demo.get('interval_p1_ms')}..{demo.get('interval_p99_ms')} ms")
print(f"  moving:  {moving['cpu_percent']:.2f} % of a core, {moving['frames']} frames, with the pointer circling")
print(f"reference: {reference['cpu_percent']:.2f} % of a core, {reference['frames']} frames in "
      f"{reference['seconds']:.2f} s, interval median {reference.get('interval_median_ms')} ms, "
      f"p1..p99 {reference.get('interval_p1_ms')}..{reference.get('interval_p99_ms')} ms")
if reference["cpu_percent"] > 0:
    print(f"ratio:     CPU {demo['cpu_percent'] / reference['cpu_percent']:.2f}x the reference, "
          f"frames {demo['frames'] / max(reference['frames'], 1):.3f}x")
PY
