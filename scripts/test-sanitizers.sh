#!/usr/bin/env bash
# Builds everything with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs every test there,
# offscreen. Any report fails the run: ASan and UBSan stop the test program,
# LSan fails it at exit. Nothing is suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Debug keeps the assertions of Qt's inline code (index checks of QList and
# QString) in our code; -O1 keeps the run quick without losing stack traces.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
      -DQV_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build-sanitize

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

cd build-sanitize
ctest --output-on-failure -j2
