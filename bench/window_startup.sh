#!/usr/bin/env bash
# Start-up of the window on the 100-lap session (100 laps of 2,400 samples at
# 20 Hz) in Xvfb: the time from launching the process to a filled lap list
# and to its first paint, and the resident memory after the walk, each the
# median of RUNS starts; then the resident memory of the real program once
# its window is up.
# Usage: bench/window_startup.sh [BUILD_FOLDER] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-9}
work=$build/bench-window
prefix=$work/prefix
temp=$prefix/drive_c/ProgramData/Laprix/temp
if [ ! -e "$temp/Temp0100.dtb" ]; then
  rm -rf "$work"
  "$build/tools/gensession" --out "$temp" --laps 100 --samples 2400 --hz 20
fi
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=:$(tr -d '\n' <"$work/display") WINEPREFIX=$prefix HOME=$work/home \
  XDG_RUNTIME_DIR=$work/runtime

: >"$work/runs"
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  line=$("$build/bench/l2q_window_startup")
  eval "$line"  # filled_ns painted_ns rss_kb rows
  [ "$rows" -eq 100 ] || { echo "listed $rows laps, not 100" >&2; exit 1; }
  echo "$(((filled_ns - start) / 1000)) $(((painted_ns - start) / 1000)) $rss_kb" >>"$work/runs"
done
# Column 1: microseconds to the filled list, 2: to its first paint, 3: kB.
column() { cut -d' ' -f"$1" "$work/runs" | sort -n; }
column 1 | awk -v runs="$runs" '{v[NR] = $1}
  END {printf "start to filled lap list: median %.1f ms of %d runs (min %.1f, max %.1f)\n",
       v[int((NR + 1) / 2)] / 1000, runs, v[1] / 1000, v[NR] / 1000}'
column 2 | awk '{v[NR] = $1} END {printf "start to first paint of the list: median %.1f ms\n", v[int((NR + 1) / 2)] / 1000}'
column 3 | awk '{v[NR] = $1} END {printf "resident memory after the walk: median %.1f MB\n", v[int((NR + 1) / 2)] / 1024}'

# The program itself, measured from outside once its window is up and idle.
"$build/programs/Laprix2QuorbelII" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Laprix to CSV for Quorbel Ver2\.0\.0$' | head -n 1)
sleep 1
printf 'Laprix2QuorbelII resident memory with its window up: %.1f MB\n' \
  "$(awk '/VmRSS:/ {print $2 / 1024}' "/proc/$pid/status")"
"$build/tests/wmclose" "$window"
wait "$pid"
