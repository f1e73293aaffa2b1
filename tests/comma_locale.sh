#!/usr/bin/env bash
# Runs a program under a German locale, whose decimal separator is a comma,
# compiling that locale into LOCALE_FOLDER when it is not there yet. Without
# the locale sources the program runs in the C locale (and its comma tests
# skip themselves).
# Usage: comma_locale.sh LOCALE_FOLDER PROGRAM [ARG...]
set -euo pipefail
dir=$1
shift
if [ ! -e "$dir/de_DE.UTF-8/LC_NUMERIC" ]; then
  mkdir -p "$dir"
  localedef -i de_DE -f UTF-8 "$dir/de_DE.UTF-8" >/dev/null 2>&1 || true
fi
LOCPATH=$dir LC_ALL=de_DE.UTF-8 exec "$@"
