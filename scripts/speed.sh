#!/usr/bin/env bash
# Prints the speed of `lapcsv overlay` beside that of an earlier commit
# (default: where this branch left main), each built in its own folder:
# a generated 400-lap session at 20 Hz with both cores and pinned to one,
# peak memory, one lap of a million samples; then checks that both builds
# export the 20, 10, 5 and 1 Hz sessions and the long lap byte for byte
# alike. Figures only:
# nothing here passes or fails on speed.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-$(git merge-base HEAD main)}
runs=${RUNS:-5}
work=${SPEED_DIR:-build-speed}
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (apt-get install time)"; exit 1; }

scripts/build.sh build >/dev/null
if [ "$(cat "$work/base/commit" 2>/dev/null)" != "$(git rev-parse "$base")" ]; then
  rm -rf "$work/base"
  mkdir -p "$work/base/src"
  git archive "$base" | tar -x -C "$work/base/src"
  cmake -S "$work/base/src" -B "$work/base/build" -G Ninja -DL2Q_WINDOW=OFF -DL2Q_BENCH=OFF >/dev/null
  ninja -C "$work/base/build" -j2 lapcsv >/dev/null
  git rev-parse "$base" >"$work/base/commit"
fi
old=$work/base/build/programs/lapcsv
new=build/programs/lapcsv

sessions=$work/sessions
for hz in 20 10 5 1; do
  [ -d "$sessions/s$hz" ] || build/tools/gensession --out "$sessions/s$hz" --laps 400 --hz "$hz"
done
[ -d "$sessions/big" ] || build/tools/gensession --out "$sessions/big" --laps 1 --samples 1000000
samples() { echo $(($(cat "$1"/* | wc -c) / 128)); }

# One run: "seconds peak-KB cpu-seconds" of lapcsv overlay of a session.
run() {
  local program=$1 dir=$2 out=$3
  shift 3
  /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" "$program" overlay --dir "$dir" -o "$out" -f
  awk '{printf "%s %s %.2f\n", $1, $2, $3 + $4}' "$work/time.txt"
}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# Median seconds and peak memory of `runs` runs of both builds, taken in turn.
compare() {
  local label=$1 dir=$2
  shift 2
  local n
  n=$(samples "$dir")
  : >"$work/old.txt"
  : >"$work/new.txt"
  for _ in $(seq "$runs"); do
    run "$old" "$dir" "$work/old.csv" "$@" >>"$work/old.txt"
    run "$new" "$dir" "$work/new.csv" "$@" >>"$work/new.txt"
  done
  for which in old new; do
    local s kb cpu
    s=$(cut -d' ' -f1 "$work/$which.txt" | median)
    kb=$(cut -d' ' -f2 "$work/$which.txt" | median)
    cpu=$(cut -d' ' -f3 "$work/$which.txt" | median)
    printf '%-28s %-4s %7.3f s %7.2f M samples/s %8d KB %6.2f s CPU\n' "$label" "$which" \
      "$s" "$(echo "$n / $s / 1000000" | bc -l)" "$kb" "$cpu"
  done
}

echo "base $(git rev-parse --short "$base"), new $(git rev-parse --short HEAD)$(git diff --quiet || echo ' (with changes)'); $(nproc) cores; medians of $runs runs"
echo "load before the runs: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows both builds)"
compare "400 laps 20 Hz, both cores" "$sessions/s20"
compare "400 laps 20 Hz, one core" "$sessions/s20" taskset -c 0
compare "1 lap of 1,000,000 samples" "$sessions/big"

for session in s20 s10 s5 s1 big; do
  "$old" overlay --dir "$sessions/$session" -o "$work/old.csv" -f
  "$new" overlay --dir "$sessions/$session" -o "$work/new.csv" -f
  if cmp -s "$work/old.csv" "$work/new.csv"; then
    echo "session $session: byte for byte the same ($(wc -c <"$work/new.csv") bytes)"
  else
    echo "session $session: DIFFERENT"
    exit 1
  fi
done
rm -f "$work/old.csv" "$work/new.csv"
