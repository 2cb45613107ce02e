#!/usr/bin/env bash
# Installs the Debian 12 packages Sirenwatch needs to build, test and run, only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-multimedia-dev qt6-serialport-dev libxkbcommon-dev
  libgeographiclib-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang fp-utils
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev wine wine64
  fonts-wine xvfb imagemagick
  direwolf iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=300 \
  --no-install-recommends "${missing[@]}"
