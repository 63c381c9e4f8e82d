# What the desktop benchmarks start from, sourced by them: strict bash, the project, the program of
# the build (the script's first argument, default build/release), the desktop's and sway's helpers,
# a scratch folder $work holding run/ with the bundled pictures and the program beside it, removed
# at the end with sway and the X server if they were started, and the clock's ticks per second.
set -euo pipefail
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
program=$(cd "${1:-$project/build/release}" && pwd)/platform/varnelo
source "$project/tests/support/desktop.sh"
source "$support/sway.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-bench-XXXXXX")
trap 'stop_sway; stop_xvfb; rm -rf "$work"' EXIT
mkdir "$work/run" && cp "$project/assets/spot.tga" "$project/assets/scr.tga" "$work/run/" && user_owns "$work/run"
cp "$program" "$work/varnelo" && cp "$support/wayland_input.py" "$work/"
ticks_per_second=$(getconf CLK_TCK)

# median: the middle of the numbers on standard input, blank-separated.
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
