#!/usr/bin/env bash
# Configures and builds into the folder given as $1 (default: build), with any
# further arguments passed to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
ninja -C "$dir"
