#!/usr/bin/env bash
# Installs the Debian 12 packages Sirenwatch needs, only those missing.
#   install-deps.sh run    what building and running Sirenwatch needs (./run.sh)
#   install-deps.sh test   that and what the tests need: the Windows cross-build and Wine,
#                          clang, Xvfb, the Debian package's tools, a headless browser (./test.sh)
set -euo pipefail

# One package or more per line; add yours to the set that needs it.
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-serialport-dev libxkbcommon-dev
  libgeographiclib-dev libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev nlohmann-json3-dev libmosquitto-dev
)
test_packages=(
  git clang fp-utils dbus-daemon
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev wine wine64
  fonts-wine xvfb imagemagick
  dpkg-dev file lintian scdoc systemd
  direwolf iproute2 chromium chromium-driver python3-selenium socat
  mosquitto mosquitto-clients openssl
)

case "${1:-run}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

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
