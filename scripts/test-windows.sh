#!/usr/bin/env bash
# Builds the Windows programs and tests them under Wine, in a Wine prefix of
# the build folder: the unit tests by CTest, lapcsv.exe byte for byte
# against the Linux lapcsv, and each window program in Xvfb with a window
# manager. Needs the Linux build (scripts/build.sh) for the comparison.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build >/dev/null
scripts/build-windows.sh >/dev/null

win=$PWD/build-windows
export WINEPREFIX=$win/wineprefix WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
# One Wine server for the whole run: without it each test waits for the
# server of the one before to go, and CTest's pipe stays held. A server a
# run before left behind goes first.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k || true' EXIT
# Wine's own background programs start here, away from CTest's output pipe,
# which they would otherwise hold open.
if [ -f "$WINEPREFIX/system.reg" ]; then wineboot; else wineboot -i; fi >/dev/null 2>&1

ctest --test-dir "$win" --output-on-failure -j2
tests/wine_lapcsv.sh "$win/programs/lapcsv.exe" build/programs/lapcsv build/tools/gensession \
  "$win/wine-lapcsv"
