#!/usr/bin/env bash
# Runs a program under a German locale, whose decimal separator is a comma,
# compiling that locale into LOCALE_FOLDER when it is not there yet. When the
# locale cannot be built the run is reported as skipped (exit 77), never as
# passed.
# Usage: comma_locale.sh LOCALE_FOLDER PROGRAM [ARG...]
set -euo pipefail
dir=$1
shift
if [ ! -e "$dir/de_DE.UTF-8/LC_NUMERIC" ]; then
  mkdir -p "$dir"
  if ! localedef -i de_DE -f UTF-8 "$dir/de_DE.UTF-8" >/dev/null 2>&1 &&
    [ ! -e "$dir/de_DE.UTF-8/LC_NUMERIC" ]; then
    echo "cannot build the de_DE.UTF-8 locale: skipped" >&2
    exit 77
  fi
fi
LOCPATH=$dir LC_ALL=de_DE.UTF-8 exec "$@"
