#!/usr/bin/env bash
# Installs the 32-bit Wine (Debian's i386 architecture and wine32:i386) when it is missing, so
# the x86 build, the one the station program's users install, runs in the tests. Once per
# machine; it also upgrades a few amd64 libraries to match the i386 ones.
set -euo pipefail

dpkg -s wine32:i386 >/dev/null 2>&1 && exit 0

echo "Installing the 32-bit Wine (wine32:i386)"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=300 \
  --no-install-recommends wine32:i386
