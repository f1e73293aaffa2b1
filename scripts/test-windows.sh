#!/usr/bin/env bash
# Builds the Windows programs and tests them under Wine, in a Wine prefix of
# the build folder: the unit tests by CTest, lapcsv.exe byte for byte
# against the Linux lapcsv, and each window program in Xvfb with a window
# manager, with screenshots in build-windows/screenshots/. Builds the Linux
# programs too: they are the reference of the comparisons.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build >/dev/null
scripts/build-windows.sh >/dev/null

win=$PWD/build-windows
export WINEPREFIX=$win/wineprefix WINEDEBUG=-all
mkdir -p "$WINEPREFIX"

# The unit tests make windows too, which Wine draws only on a display.
mkdir -p "$win/xvfb"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$win/xvfb/display" 2>"$win/xvfb/log" &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -s "$win/xvfb/display" ] && break
  sleep 0.1
done
export DISPLAY=:$(tr -d '\n' <"$win/xvfb/display")
# One Wine server for the whole run: without it each test waits for the
# server of the one before to go, and CTest's pipe stays held. A server a
# run before left behind goes first.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
# Wine's own background programs start here, away from CTest's output pipe,
# which they would otherwise hold open.
if [ -f "$WINEPREFIX/system.reg" ]; then wineboot; else wineboot -i; fi >/dev/null 2>&1

tests/windows_exe_check.sh "$win/programs" 1.1.0 2.0.0
# A test that fails runs once more: about one run in ten, a Wine program
# started next to others here failed before it reached its own code.
ctest --test-dir "$win" --output-on-failure -j2 --repeat until-pass:2
tests/wine_lapcsv.sh "$win/programs/lapcsv.exe" build/programs/lapcsv build/tools/gensession \
  "$win/wine-lapcsv"

# The window programs in Japanese, as on the systems they are made for.
if [ ! -d "$win/locale/ja_JP.UTF-8" ]; then
  mkdir -p "$win/locale"
  localedef -i ja_JP -f UTF-8 "$win/locale/ja_JP.UTF-8"
fi
tests/wine_window.sh "$win/programs/Laprix2QuorbelII.exe" 2.0.0 build/programs/lapcsv \
  build/tools/gensession build/tests/wmclose "$win"
tests/wine_window.sh "$win/programs/Laprix2Quorbel.exe" 1.1.0 build/programs/lapcsv \
  build/tools/gensession build/tests/wmclose "$win"
