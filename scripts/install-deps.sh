#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need.
# Idempotent and quiet when everything is already there. With --windows:
# what the Windows cross build and its tests under Wine need instead.
set -euo pipefail

if [ "${1:-}" = --windows ]; then
  packages=(
    cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev
    wine wine64 locales xvfb xauth xdotool x11-utils imagemagick openbox
    fonts-ipafont-gothic
  )
else
  packages=(
    cmake ninja-build g++ pkg-config clang-format
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libmpfr-dev
    qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n libx11-dev locales
    xvfb xauth xdotool x11-utils imagemagick openbox
    fonts-ipafont-gothic
    librsvg2-bin gpsbabel libxml2-utils tzdata time
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
