#!/usr/bin/env bash
# Builds the benchmarks (Release), generates the banks of 5,000, 30,000 and
# 100,000 rows once, then measures every operation and the start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build-bench
banks=()
for rows in 5000 30000 100000; do
  dir="${TMPDIR:-/tmp}/qvbench-$rows"
  [ -f "$dir/english.db" ] || build-bench/bench/qvgenbank "$rows" "$dir"
  banks+=("$dir")
done
build-bench/bench/qvbench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_display_aggregates_only=true 2>/dev/null | grep -E 'Benchmark|median|Run on'
build-bench/bench/qvprintbench --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true 2>/dev/null | grep -E 'first|median'
python3 bench/startup.py build-bench/src/quorvane build-bench/bench/qvbareqt "${banks[@]}"
