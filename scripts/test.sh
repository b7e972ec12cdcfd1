#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, offscreen;
# then the same tests again in a build with the sanitizers
# (scripts/test-sanitizers.sh), then each fuzz target for a bounded time
# (scripts/fuzz.sh). Any failure stops the run with a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build-test
(cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2) | tee build-test/ctest.log

mkdir -p build-sanitize build-fuzz
bash scripts/test-sanitizers.sh | tee build-sanitize/run.log
bash scripts/fuzz.sh | tee build-fuzz/run.log

echo "== Test summary"
echo "Fuzzing: $(grep -c 'inputs tried' build-fuzz/run.log) targets fuzzed, no crash"
echo "Sanitizer build: $(grep 'tests passed' build-sanitize/run.log | tail -1)"
echo "Normal build:"
grep 'tests passed' build-test/ctest.log | tail -1
