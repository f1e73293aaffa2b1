#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-asan -G Ninja -DL2Q_SANITIZE=ON -DL2Q_BENCH=OFF -DL2Q_WINDOW=OFF \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
ninja -C build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2 -L unit
