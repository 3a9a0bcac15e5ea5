#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing. Xvfb and
# xdotool run the player in a virtual display and drive its window by hand; the window tests read
# its pixels through Xlib (libx11-dev), and print the stacks of a player that does not end (gdb).
# ccache keeps the compiled objects for the next build (the build uses it when it is there).
# Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libsdl2-dev libx11-dev libfreetype-dev libfontconfig-dev
  libfluidsynth-dev timgm6mb-soundfont
  libvorbis-dev libsoxr-dev fonts-ipafont-gothic fonts-ipafont-mincho
  libboost-dev libgtest-dev libbenchmark-dev
  libpixman-1-dev libpng-dev
  xvfb xdotool gdb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=""
else
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
