#!/usr/bin/env bash
# What a frame of the arm64 program costs under QEMU's user mode, beside the native program in
# the same run: each runs 10 s under Xvfb with the pointer still, ROUNDS times in turn, and the
# CPU time it used (user + system) is divided by the 500 timer ticks of those 10 s. Only a sanity
# figure: an emulated CPU says little of a real board's.
# usage: bench/arm64/cpu_per_frame.sh [NATIVE_BUILD ARM64_BUILD ROUNDS]
#        (default build/release build/linux-arm64 3)
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "${1:-$project/build/release}" && pwd)/platform/varnelo
arm64=$(cd "${2:-$project/build/linux-arm64}" && pwd)/platform/varnelo
rounds=${3:-3}
seconds=10
source "$project/tests/support/desktop.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-bench-XXXXXX")
trap 'stop_xvfb; rm -rf "$work"' EXIT
cp "$project/assets/spot.tga" "$project/assets/scr.tga" "$work/"
start_xvfb "$work" 960x720x24

# cpu_ms COMMAND...: the CPU milliseconds of one bounded run; SIGINT ends the program cleanly.
cpu_ms() {
    local TIMEFORMAT='%3U %3S' spent
    spent=$( { time (cd "$work" && timeout --preserve-status -s INT "$seconds" "$@" >/dev/null 2>&1); } 2>&1)
    awk -v spent="$spent" 'BEGIN { split(spent, t, " "); printf "%d\n", (t[1] + t[2]) * 1000 }'
}

declare -A runs=([native]="" [arm64]="")
for ((round = 1; round <= rounds; ++round)); do
    runs[native]+=" $(cpu_ms "$native")"
    runs[arm64]+=" $(cpu_ms qemu-aarch64 "$arm64")"
done
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ticks=$((seconds * 50))
native_ms=$(median <<<"${runs[native]}") arm64_ms=$(median <<<"${runs[arm64]}")
echo "CPU ms over $seconds s, per round: native${runs[native]}; arm64 under qemu-aarch64${runs[arm64]}"
awk -v n="$native_ms" -v a="$arm64_ms" -v t="$ticks" -v s="$seconds" 'BEGIN {
    printf "native:               %.3f ms CPU per frame (%.1f %% of one core)\n", n / t, n / s / 10
    printf "arm64 under qemu:     %.3f ms CPU per frame (%.1f %% of one core)\n", a / t, a / s / 10
    printf "emulated / native:    %.1f x\n", a / n }'
