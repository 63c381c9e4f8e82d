# Measures one running program for the frame-timing benchmark: CPU time over a wall-clock
# window, and the presents its trace file logged within that window.
# usage: measure.py PID TRACE SECONDS  -> one line of JSON
import json
import os
import statistics
import sys
import time

pid, trace_path, seconds = int(sys.argv[1]), sys.argv[2], float(sys.argv[3])
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds():
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime, all threads included
    return (int(fields[11]) + int(fields[12])) / ticks


cpu_start, wall_start = cpu_seconds(), time.monotonic_ns() // 1000
time.sleep(seconds)
cpu_end, wall_end = cpu_seconds(), time.monotonic_ns() // 1000

with open(trace_path) as trace:
    # steady_clock and time.monotonic read the same CLOCK_MONOTONIC
    stamps = [int(line) for line in trace if line.strip()]
inside = [stamp for stamp in stamps if wall_start <= stamp < wall_end]
intervals = [(b - a) / 1000 for a, b in zip(inside, inside[1:])]
window = (wall_end - wall_start) / 1e6
result = {
    "seconds": round(window, 3),
    "cpu_percent": round(100 * (cpu_end - cpu_start) / window, 2),
    "frames": len(inside),
}
if len(intervals) >= 2:
    quantiles = statistics.quantiles(intervals, n=100)
    result.update(
        interval_median_ms=round(statistics.median(intervals), 3),
        interval_mean_ms=round(statistics.fmean(intervals), 3),
        interval_stdev_ms=round(statistics.stdev(intervals), 3),
        interval_p1_ms=round(quantiles[0], 3),
        interval_p99_ms=round(quantiles[98], 3),
        interval_min_ms=round(min(intervals), 3),
        interval_max_ms=round(max(intervals), 3),
    )
print(json.dumps(result))
