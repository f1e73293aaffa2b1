#!/usr/bin/env bash
# Starts a Windows window program under Wine in an X server with a window
# manager, as a user on Linux would: version 2.0.0 finds its laps below the
# prefix's ProgramData, version 1.1.0 through the install path that
# `wine reg add` put in the registry. It must list them, export a block of
# laps through its own save dialog (driven by the keyboard), ask before
# replacing the file, and end with exit code 0 when its close button is
# used. Screenshots of the window and of each box go to the build folder.
# Usage: wine_window.sh PROGRAM_EXE VERSION LAPCSV GENSESSION WMCLOSE BUILD_FOLDER
# (WINEPREFIX, set up by the caller, gets the test's registry value and laps.)
set -euo pipefail
exe=$1 version=$2 lapcsv=$3 gensession=$4 wmclose=$5 build=$6
name=$(basename "$exe" .exe)
caption="Laprix to CSV for Quorbel Ver$version"
work=$build/wine-window/$name
shots=$build/screenshots
rm -rf "$work"
mkdir -p "$work/home" "$shots"

# Version 2.0.0's laps, and a different session where version 1.1.0's
# install path leads, so that each can only have found its own.
prefix=${WINEPREFIX:?}
appdata=$prefix/drive_c/ProgramData/Laprix/temp
install=$prefix/drive_c/Laprix
rm -rf "$appdata" "$install"
"$gensession" --out "$appdata" --laps 8 --hz 20 >/dev/null
"$gensession" --out "$install/Temp" --laps 5 --hz 10 --seed 7 >/dev/null
if [ "$version" = 1.1.0 ]; then laps=$install/Temp; else laps=$appdata; fi

# Xvfb picks a free display itself and reports it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
pid= wm=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(tr -d '\n' <"$work/display")
HOME=$work/home openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# Wine's desktop belongs to the display of the server it started with: a
# server running for earlier tests goes, and this one goes with the display.
wineserver -k 2>/dev/null || true
wineserver -w
wine reg add 'HKCU\Software\Laprix' /v InstallPath /t REG_SZ /d 'C:\Laprix\' /f >/dev/null 2>&1

# The visible window captioned $1 (a pattern), waited for; searches can
# race with a window being mapped, so they are retried.
find_window() {
  local found=
  for _ in $(seq 100); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || { echo "no window captioned $1" >&2; exit 1; }
  echo "$found"
}

# Saves the screen as $1 once two pictures of it agree.
screenshot() {
  local previous= current
  for _ in $(seq 50); do
    import -window root -define png:exclude-chunks=date,time "$work/shot.png"
    current=$(md5sum <"$work/shot.png")
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.2
  done
  cp "$work/shot.png" "$1"
  echo "screenshot: $1"
}

# Waits until no visible window is captioned $1.
gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "window $1 stayed" >&2
  exit 1
}

# Japanese, as on the systems the program is made for: Wine's own dialogs
# speak it and the ANSI code page is 932.
started=$(date +%s%N)
LOCPATH=$build/locale LANG=ja_JP.UTF-8 wine "$exe" >"$work/program.log" 2>&1 &
pid=$!
window=$(find_window "^${caption}\$")
echo "window shown $((($(date +%s%N) - started) / 1000000)) ms after start"
read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
echo "window $window: ${width}x${height} inside, $((width + left + right))x$((height + top + bottom)) with the window manager's frame"
screenshot "$shots/$name-wine.png"

# Laps 2 to 4 by the keyboard: Down, Shift+Down twice; Tab to the button
# and Enter; the target typed into the save dialog.
out=$work/out
windows_out="Z:$(realpath "$work")/out"
windows_out=${windows_out//\//\\}
export_laps() {
  xdotool windowactivate --sync "$window"
  xdotool key "$@"
  find_window '^名前を付けて保存$' >/dev/null
  xdotool type --delay 10 "$windows_out"
  xdotool key Return
}
export_laps Home Down shift+Down shift+Down Tab Return
find_window '^情報$' >/dev/null
screenshot "$shots/$name-wine-information.png"
xdotool key Return
gone '^情報$'
"$lapcsv" overlay --dir "$laps" --laps 2-4 -o "$work/expected.csv"
cmp "$out.csv" "$work/expected.csv"
echo "$name wrote laps 2 to 4 as lapcsv does: $(wc -c <"$out.csv") bytes"

# Once more onto the same name, Enter on the button, which kept the focus:
# the warning asks first; Enter is Yes.
rm -f "$work/expected.csv"
touch -d '2000-01-01' "$out.csv"
export_laps Return
find_window '^警告$' >/dev/null
screenshot "$shots/$name-wine-warning.png"
xdotool key Return
find_window '^情報$' >/dev/null
xdotool key Return
gone '^情報$'
[ "$(stat -c %Y "$out.csv")" -gt 946684800 ] || { echo "the file was not replaced" >&2; exit 1; }

# The close button, as the window manager sends it.
"$wmclose" "$window"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && { echo "$name did not end after its window was closed" >&2; exit 1; }
status=0
wait "$pid" || status=$?
pid=
echo "$name exited with $status"
[ "$status" -eq 0 ]
