#!/usr/bin/env bash
# Builds the unit tests and lapcsv with ThreadSanitizer and runs the tests of
# the threaded path (the lap list walk, laps loaded ahead, the overlay
# export, lapcsv itself); any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-tsan -G Ninja -DL2Q_TSAN=ON -DL2Q_BENCH=OFF -DL2Q_WINDOW=OFF \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
ninja -C build-tsan
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir build-tsan --output-on-failure -j2 -L unit \
  -R 'LapsAhead|LapListTest|OverlayTest|ChosenFilesTest|LapcsvTest|ExpectedFiles|Extended.Threads'
