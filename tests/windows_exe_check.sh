#!/usr/bin/env bash
# Each Windows program is one file that runs on any Windows: it imports only
# the system's own DLLs, carries its version, and a window program carries
# its manifest (common controls 6, DPI awareness).
# Usage: windows_exe_check.sh FOLDER_OF_THE_PROGRAMS VERSION_1 VERSION_2
set -euo pipefail
dir=$1 v1=$2 v2=$3
system='^(ADVAPI32|COMCTL32|comdlg32|GDI32|KERNEL32|msvcrt|SHELL32|USER32)\.dll$'
strings=x86_64-w64-mingw32-strings
failures=0
check() {
  local exe=$dir/$1.exe version=$2 window=$3
  local foreign
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | grep -Ev "$system" || true)
  if [ -n "$foreign" ]; then echo "$1.exe needs $foreign" >&2; failures=$((failures + 1)); fi
  if ! $strings -el "$exe" | grep -qx "$version"; then
    echo "$1.exe carries no version $version" >&2
    failures=$((failures + 1))
  fi
  if [ "$window" = yes ] && ! { $strings "$exe" | grep -q 'Microsoft.Windows.Common-Controls' &&
    $strings "$exe" | grep -q '<dpiAware'; }; then
    echo "$1.exe has no manifest" >&2
    failures=$((failures + 1))
  fi
  echo "$1.exe: $(stat -c %s "$exe") bytes"
}
check lapcsv "$v2" no
check Laprix2Quorbel "$v1" yes
check Laprix2QuorbelII "$v2" yes
[ "$failures" -eq 0 ]
