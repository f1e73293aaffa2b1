#!/usr/bin/env bash
# Prints wall time and peak memory of two lapcsv builds side by side on the
# same generated sessions: 100 laps of 2,400 samples (overlay of all),
# 4,000 laps of 20 samples (overlay of all), and one lap of 100,000 samples
# (raw log). Medians of RUNS runs.
# Usage: bench/compare_lapcsv.sh OLD_LAPCSV NEW_LAPCSV GENSESSION [RUNS]
set -euo pipefail
old=$1 new=$2 gen=$3 runs=${4:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" --out "$work/s100" --laps 100 --hz 20 --samples 2400 >/dev/null
"$gen" --out "$work/s4000" --laps 4000 --hz 20 --samples 20 >/dev/null
"$gen" --out "$work/s1" --laps 1 --hz 20 --samples 100000 >/dev/null

# Median wall seconds and peak kilobytes of `runs` runs of a command.
measure() {
  local times=() peaks=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1
    read -r t m <"$work/t"
    times+=("$t") peaks+=("$m")
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")" \
    "$(printf '%s\n' "${peaks[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")"
}

printf '%-34s %10s %10s %12s %12s\n' "case" "old s" "new s" "old peak KB" "new peak KB"
row() {
  local name=$1
  shift
  read -r to mo < <(measure "$old" "$@")
  read -r tn mn < <(measure "$new" "$@")
  printf '%-34s %10s %10s %12s %12s\n' "$name" "$to" "$tn" "$mo" "$mn"
}
row "overlay, 100 laps x 2,400" overlay --dir "$work/s100/" -o "$work/o.csv" -f
row "overlay, 4,000 laps x 20" overlay --dir "$work/s4000/" -o "$work/o.csv" -f
row "raw, one lap of 100,000" raw -o "$work/r.csv" -f "$work/s1/Temp0001.dtb"
