#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 into build-windows/:
# lapcsv.exe, Laprix2Quorbel.exe (1.1.0) and Laprix2QuorbelII.exe (2.0.0),
# each one self-contained file, and the unit tests that run under Wine.
# Installs what is missing first (quiet when all is there). Further
# arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows

build=build-windows
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
gtest=$PWD/$build/deps/googletest

# GoogleTest for the target, from Debian's sources, once.
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "Cross-building GoogleTest into $gtest"
  cmake -S /usr/src/googletest -B "$build/deps/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=OFF >/dev/null
  ninja -C "$build/deps/googletest-build" -j2 install >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DGTest_DIR="$gtest/lib/cmake/GTest" -DL2Q_WINDOW=OFF -DL2Q_BENCH=OFF "$@" >/dev/null
ninja -C "$build" -j2
