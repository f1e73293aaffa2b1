#!/usr/bin/env bash
# Installs what is missing, builds, generates the sample session and runs the
# main job on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
prefix=$PWD/build/demo-prefix
build/tools/gensession --out "$prefix/drive_c/ProgramData/Laprix/temp" --laps 8 --hz 20
echo "Sample laps in $prefix/drive_c/ProgramData/Laprix/temp"

# The overlay CSV of every listed lap, found the way version 2.0.0 finds its
# data folder: below the Wine prefix's ProgramData.
out=$PWD/build/demo-out/overlay.csv
mkdir -p "$(dirname "$out")"
WINEPREFIX=$prefix build/programs/lapcsv list
WINEPREFIX=$prefix build/programs/lapcsv overlay -o "$out" -f
echo "Overlay CSV for Quorbel: $out ($(wc -l <"$out") lines); it begins:"
head -n 3 "$out"

# With a display at hand, the window itself on the same laps.
if [ -n "${DISPLAY:-}" ]; then
  echo "Opening Laprix2QuorbelII on the sample laps; close its window to end."
  WINEPREFIX=$prefix build/programs/Laprix2QuorbelII
fi
