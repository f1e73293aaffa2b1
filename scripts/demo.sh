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
