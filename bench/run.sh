#!/usr/bin/env bash
# Builds the release preset's benchmarks, runs every one of them REPETITIONS times (5 unless
# given) and writes bench/README.md's tables from the medians:
#   bench/run.sh [REPETITIONS]
# The raw results (JSON and console tables) stay in build/release/bench-results/.
set -eu
cd "$(dirname "$0")/.."
repetitions="${1:-5}"
programs=(channel_bench service_bench plugprobe_bench plugscan_bench)
scripts/build.sh release "${programs[@]}"
results=build/release/bench-results
rm -rf "$results"
mkdir -p "$results"
git rev-parse --short HEAD > "$results/commit" 2>/dev/null || true
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
for program in "${programs[@]}"; do
  echo "== $program (${repetitions} repetitions)"
  "build/release/$program" --benchmark_repetitions="$repetitions" \
    --benchmark_out="$results/$program.json" --benchmark_out_format=json \
    | tee "$results/$program.txt"
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/report.py "$results" "$repetitions" "$load_before" "$load_after" > bench/README.md.new
mv bench/README.md.new bench/README.md
echo "bench/README.md written"
