#!/usr/bin/env bash
# Prints how long a Windows window program takes under Wine from its start
# until its window shows, in Xvfb with a window manager: with a cold Wine
# server (none running, as at the first start after login) and with a warm
# one (the server of an earlier Wine program still up). Figures only.
# Usage: wine_window_startup.sh PROGRAM_EXE CAPTION [RUNS]
# (run after scripts/test-windows.sh, which builds build/tests/wmclose and
# the prefix; WINEPREFIX defaults to that prefix)
set -euo pipefail
exe=$(realpath "$1") caption=$2 runs=${3:-5}
cd "$(dirname "$0")/.."
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wineprefix} WINEDEBUG=-all
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
wm=
trap 'wineserver -k 2>/dev/null || true; [ -n "$wm" ] && kill $wm; kill $xvfb; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=:$(tr -d '\n' <"$work/display")
HOME=$work openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

# Milliseconds from the start until the window is visible; then closed.
start_once() {
  local started window= ms pid
  started=$(date +%s%N)
  wine "$exe" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --name "^${caption}\$" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.02
  done
  ms=$((($(date +%s%N) - started) / 1000000))
  # Closed as its close button does; ended for good should that not do.
  [ -n "$window" ] && build/tests/wmclose "$window" >/dev/null 2>&1
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$ms"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

cold=() warm=()
for _ in $(seq "$runs"); do
  wineserver -k 2>/dev/null || true
  wineserver -w
  cold+=("$(start_once)")
  warm+=("$(start_once)")
done
echo "$(basename "$exe") under Wine, window shown after (ms):"
echo "  cold server: ${cold[*]} (median $(printf '%s\n' "${cold[@]}" | median))"
echo "  warm server: ${warm[*]} (median $(printf '%s\n' "${warm[@]}" | median))"
