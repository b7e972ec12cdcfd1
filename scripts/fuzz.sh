#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs
# each for a bounded time (QV_FUZZ_SECONDS, 20 by default) on its committed
# corpus fuzz/corpus/<target>/. Every input of that corpus is replayed first,
# so a crash once found and committed there is checked on every run.
# A crash, a failed property, a leak or a hang fails the run; its input is
# written into fuzz/corpus/<target>/ as crash-…, leak-… or timeout-…: commit
# it with the fix. New interesting inputs stay in build-fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${QV_FUZZ_SECONDS:-20}
bash scripts/install-deps.sh

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DQV_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz --target qv_fuzzers

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
export QT_QPA_PLATFORM=offscreen

failed=()
summary=()
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  fuzzer=$root/build-fuzz/fuzz/$name
  work=$root/build-fuzz/corpus/$name
  log=$root/build-fuzz/$name.log
  mkdir -p "$work"
  echo "== $name: replaying $(ls "$seeds" | wc -l) committed inputs, then fuzzing ${seconds} s"
  if "$fuzzer" -runs=0 -timeout=10 -artifact_prefix="$root/$seeds" "$seeds" >"$log" 2>&1 \
     && "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
                  -artifact_prefix="$root/$seeds" "$work" "$seeds" >>"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(ls "$work" | wc -l)
    summary+=("$(printf '%-20s %10s inputs tried, %5s in corpus' "$name" "$runs" "$corpus")")
  else
    failed+=("$name")
    summary+=("$(printf '%-20s FAILED (see below)' "$name")")
    tail -n 60 "$log"
    echo "The failing input was kept in $seeds; commit it with the fix."
  fi
done

echo "== Fuzzing summary (${seconds} s each)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzzing failed: ${failed[*]}"
  exit 1
fi
