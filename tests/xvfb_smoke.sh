#!/usr/bin/env bash
# Starts a window program in an X server with a window manager, as a user
# would: on a generated session it finds its window by the caption, checks
# its outer size (frame included), saves a screenshot, and closes the window
# as the title bar's close button does, requiring exit status 0. Version
# 2.0.0 is also started on an empty prefix (the hint where the laps were
# looked for), shows a lap's racing line on a double click, and is driven
# by the keyboard into an export that fails (the error box naming the
# path); each is saved as a screenshot.
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
pid= wm=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
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

HOME=$work/home openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# Prints the id of the visible window captioned exactly $1 once it is
# there; fails after $2 tenths of a second (default 100).
wait_for() {
  local id
  for _ in $(seq "${2:-100}"); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window captioned \"$1\"" >&2
  return 1
}

# Waits until no visible window is captioned exactly $1.
wait_gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}

# Starts the program on prefix $1 and sets $window to its window.
start() {
  WINEPREFIX=$1 HOME=$work/home XDG_RUNTIME_DIR=$work/runtime "$program" &
  pid=$!
  window=$(wait_for "$caption")
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

# Closes the window as its close button does and requires exit status 0.
close() {
  "$wmclose" "$window"
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "$name did not end after its window was closed" >&2
    exit 1
  fi
  local status=0
  wait "$pid" || status=$?
  pid=
  echo "$name exited with $status"
  [ "$status" -eq 0 ]
}

start "$prefix"
# The window measures 891 x 303 from the outside, frame and title bar
# included, once the window manager has framed it.
outer=
for _ in $(seq 50); do
  read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
  read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
  outer="$((width + left + right))x$((height + top + bottom))"
  [ "$outer" = 891x303 ] && break
  sleep 0.1
done
echo "window $window: ${width}x${height} inside, $outer outside"
[ "$outer" = 891x303 ] || { echo "window is $outer from the outside, not 891x303" >&2; exit 1; }
screenshot "$shots/$name.png"

if [ "$name" = Laprix2QuorbelII ]; then
  # A double click on the first lap shows its racing line; Escape closes it.
  # The window is activated first, so that no click of the two goes to
  # activating it; a busy machine may still miss one, so it is tried again.
  view=
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --sync $((X + 100)) $((Y + 36)) click --repeat 2 --delay 80 1
    view=$(wait_for 走行ライン 30 2>/dev/null) && break
  done
  [ -n "$view" ] || { echo "no racing line window came" >&2; exit 1; }
  screenshot "$shots/$name-racingline.png"
  xdotool windowactivate --sync "$view" key Escape
  wait_gone 走行ライン

  # Tab to the button, Enter, a target the program may not write, Enter.
  xdotool windowactivate --sync "$window"
  xdotool key Tab Return
  sleep 1
  xdotool type --delay 20 /sys/out
  xdotool key Return
  wait_for "$name" >/dev/null  # the error box, captioned with the program's name
  screenshot "$shots/$name-error.png"
  xdotool key Return  # the box has the focus: OK closes it
  wait_gone "$name"
  close

  # An empty prefix: the list is empty, and the hint says where it looked.
  mkdir -p "$work/empty"
  start "$work/empty"
  screenshot "$shots/$name-hint.png"
fi
close
