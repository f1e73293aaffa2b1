#!/usr/bin/env bash
# Starts a window program in a bare X server on a generated session, finds
# its window by the caption, saves a screenshot, closes the window as a
# window manager's close button would, and requires exit status 0.
# Usage: xvfb_smoke.sh PROGRAM CAPTION GENSESSION WMCLOSE BUILD_FOLDER
set -euo pipefail
program=$1 caption=$2 gensession=$3 wmclose=$4 build=$5
name=$(basename "$program")
work=$build/xvfb-smoke/$name
shots=$build/screenshots
rm -rf "$work"
mkdir -p "$work/home" "$work/runtime" "$shots"
chmod 700 "$work/runtime"

# The session where version 2.0.0 looks, and the registry value through
# which version 1.1.0 finds the same laps.
prefix=$work/prefix
"$gensession" --out "$prefix/drive_c/ProgramData/Laprix/temp" --laps 8 --hz 20
mkdir -p "$prefix/dosdevices" "$prefix/drive_c/Program Files/Laprix"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s ../../ProgramData/Laprix/temp "$prefix/drive_c/Program Files/Laprix/Temp"
cat >"$prefix/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Laprix] 1336046400
"InstallPath"="C:\\Program Files\\Laprix\\"
REG

# Xvfb picks a free display itself and reports it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(tr -d '\n' <"$work/display")

WINEPREFIX=$prefix HOME=$work/home XDG_RUNTIME_DIR=$work/runtime "$program" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n 1)
[ -n "$window" ] || { echo "no window captioned \"$caption\"" >&2; exit 1; }
read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
echo "window $window: ${width}x${height}"
[ "$width" = 891 ] && [ "$height" = 303 ] || { echo "window is ${width}x${height}, not 891x303" >&2; exit 1; }

# The list is filled before the first paint; wait until two pictures agree.
shot=$shots/$name.png
previous=
for _ in $(seq 50); do
  import -window "$window" -define png:exclude-chunks=date,time "$work/shot.png"
  current=$(md5sum <"$work/shot.png")
  [ "$current" = "$previous" ] && break
  previous=$current
  sleep 0.1
done
cp "$work/shot.png" "$shot"
echo "screenshot: $shot"

"$wmclose" "$window"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "$name did not end after its window was closed" >&2
  exit 1
fi
status=0
wait "$pid" || status=$?
pid=
echo "$name exited with $status"
[ "$status" -eq 0 ]
