#!/bin/sh
# Runs the band page benchmark and prints, for each method, the time and
# bytes of one 600-dpi A4 text page next to pbmtolj -compress on the same page
# (wall time; pbmtolj's includes starting it and reading the PBM, a few ms).
#   bench/band_page/compare.sh [path/to/bench_band_page]
set -e
BENCH=${1:-build/bench/band_page/bench_band_page}
command -v pbmtolj >/dev/null || { echo "pbmtolj not found: run scripts/deps.sh" >&2; exit 1; }
"$BENCH" --benchmark_format=json --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  2>/dev/null | python3 -c '
import json, sys
rows = [b for b in json.load(sys.stdin)["benchmarks"] if b.get("aggregate_name") == "median"]
ref = next(b for b in rows if "Pbmtolj" in b["name"])
print("%-34s %10s %10s %9s %9s" % ("method", "ms/page", "bytes", "speed-up", "size"))
for b in rows:
    ms = b["real_time"]  # pbmtolj runs as a child process: only wall time is seen
    print("%-34s %10.2f %10d %8.1fx %8.2fx" % (b["run_name"], ms, b["bytes"],
          ref["real_time"] / ms, b["bytes"] / ref["bytes"]))
'
