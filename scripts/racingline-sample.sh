#!/usr/bin/env bash
# Renders the racing line of three laps of a generated 20 Hz session, as
# `lapcsv map` draws it, to docs/racingline.png: the picture in the README.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
scripts/build.sh "$build" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/gensession" --out "$work/laps" --laps 3 --hz 20
"$build/programs/lapcsv" map --dir "$work/laps" -o "$work/line.svg"
mkdir -p docs
rsvg-convert -o docs/racingline.png "$work/line.svg"
echo "docs/racingline.png: $(stat -c %s docs/racingline.png) bytes"
