#!/usr/bin/env bash
# lapcsv.exe under Wine against the Linux lapcsv on generated sessions of
# 20, 10, 5 and 1 Hz: every command's output file, standard output, standard
# error and exit code must be the same bytes. Both run in one folder on the
# same relative paths, so that the paths in messages read alike.
# Usage: wine_lapcsv.sh LAPCSV_EXE LAPCSV GENSESSION WORK_FOLDER
# (Wine's prefix and WINEDEBUG come from the environment.)
set -euo pipefail
exe=$(realpath "$1") linux=$(realpath "$2") gensession=$(realpath "$3") work=$4
rm -rf "$work"
mkdir -p "$work"
cd "$work"

failures=0 runs=0
# Runs one command line with both programs; "OUT" in it becomes each side's
# own output file, compared afterwards.
same() {
  local side out status
  for side in linux windows; do
    out=out-$side
    local args=("${@//OUT/$out}")
    status=0
    if [ $side = linux ]; then
      "$linux" "${args[@]}" >"$side.stdout" 2>"$side.stderr" || status=$?
    else
      wine "$exe" "${args[@]}" >"$side.stdout" 2>"$side.stderr" || status=$?
    fi
    echo "$status" >"$side.status"
  done
  runs=$((runs + 1))
  local what
  for what in stdout stderr status; do
    # The output file's name appears in messages: read both as the same.
    if ! cmp -s <(sed 's/out-linux/OUT/g' linux.$what) <(sed 's/out-windows/OUT/g' windows.$what); then
      echo "DIFFERS ($what): lapcsv $*" >&2
      diff <(cat linux.$what) <(cat windows.$what) | head -n 5 >&2 || true
      failures=$((failures + 1))
    fi
  done
  local f
  for f in out-linux.*; do
    [ -e "$f" ] || continue
    if ! cmp -s "$f" "out-windows.${f#out-linux.}"; then
      echo "DIFFERS ($f): lapcsv $*" >&2
      failures=$((failures + 1))
    else
      echo "same: lapcsv $* -> $(wc -c <"$f") bytes"
    fi
    rm -f "$f" "out-windows.${f#out-linux.}"
  done
}

for hz in 20 10 5 1; do
  s=s$hz
  "$gensession" --out "$s" --laps 4 --hz "$hz" --seed "$hz" >/dev/null
  same list --dir "$s"
  same overlay --dir "$s" -o OUT
  same overlay --dir "$s" --laps 2-3 -o OUT
  same files -o OUT "$s/Temp0003.dtb" "$s/Temp0001.dtb"
  same raw -o OUT "$s/Temp0002.dtb"
  same map --dir "$s" --laps 1-2 -o OUT
  same gpx --dir "$s" --utc-offset +09:00 -o OUT
done

# What goes wrong reads the same, with the same exit codes.
printf 'not a lap' >notalap.dtb
same files -o OUT notalap.dtb s1/Temp0001.dtb
same raw -o OUT notalap.dtb
same list --dir nofolder
same overlay --dir s1 --laps 7 -o OUT
same overlay --dir s1 --laps 3-1 -o OUT
same overlay --dir s1 -o nofolder/out
touch taken.csv
same raw -o taken s1/Temp0001.dtb
same convert
same --version

echo "$runs command lines, $failures differences"
[ "$failures" -eq 0 ]
