#!/usr/bin/env bash
# Renders the racing line of three laps of a generated 20 Hz session to
# docs/racingline.png, the picture in the README.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja >/dev/null
ninja -C "$build" racingline_sample >/dev/null
mkdir -p docs
svg=$(mktemp --suffix=.svg)
trap 'rm -f "$svg"' EXIT
"$build/tests/racingline_sample" >"$svg"
rsvg-convert -o docs/racingline.png "$svg"
echo "docs/racingline.png: $(stat -c %s docs/racingline.png) bytes"
