#!/usr/bin/env bash
# Installs the Debian 12 packages Sirenwatch needs, only those missing.
#   install-deps.sh run    what building and running Sirenwatch needs (./run.sh)
#   install-deps.sh test   that and what the tests need: the Windows cross-build and Wine,
#                          clang, Xvfb, the Debian package's tools, a headless browser, the
#                          Windows installer's compiler (./test.sh); and GeographicLib's source
#                          for the Windows builds, unpacked into $geographiclib_source below
set -euo pipefail

# One package or more per line; add yours to the set that needs it.
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libxkbcommon-dev
  libgeographiclib-dev libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev nlohmann-json3-dev libssl-dev libmosquitto-dev
)
test_packages=(
  git clang fp-utils dbus-daemon
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev wine wine64
  fonts-wine xvfb imagemagick
  dpkg-dev file lintian scdoc systemd
  direwolf iproute2 chromium chromium-driver python3-selenium socat nsis
  mosquitto mosquitto-clients openssl
)

# Debian has no MinGW build of GeographicLib, libmosquitto or OpenSSL: the Windows builds compile
# them from Debian's source packages, unpacked here once (cmake/GeographicLibWindows.cmake,
# MosquittoWindows.cmake and OpenSSLWindows.cmake look for them in these folders).
geographiclib_version=2.1.2
geographiclib_home=/var/cache/sirenwatch/geographiclib
geographiclib_source=$geographiclib_home/geographiclib-$geographiclib_version
mosquitto_version=2.0.11
mosquitto_home=/var/cache/sirenwatch/mosquitto
mosquitto_source=$mosquitto_home/mosquitto-$mosquitto_version
# OpenSSL follows Debian's security updates, so its folder does not name a version.
openssl_home=/var/cache/sirenwatch/openssl
openssl_source=$openssl_home/source
# The source list apt reads it from, the twin of Debian's own binary list.
source_list=/etc/apt/sources.list.d/sirenwatch-deb-src.sources

want_source=false
case "${1:-run}" in
  run) packages=("${run_packages[@]}") ;;
  test)
    packages=("${run_packages[@]}" "${test_packages[@]}")
    want_source=true
    ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
need_source=false
if $want_source && { [ ! -f "$geographiclib_source/CMakeLists.txt" ] ||
  [ ! -f "$mosquitto_source/CMakeLists.txt" ] || [ ! -f "$openssl_source/Configure" ]; }; then
  need_source=true
fi
[ ${#missing[@]} -eq 0 ] && ! $need_source && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if $need_source && [ ! -f "$source_list" ]; then
  # shellcheck disable=SC1091
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$codename" | "${sudo_cmd[@]}" tee "$source_list" >/dev/null
fi
# One update for the binary and the source lists: an update that read only a source list would
# leave apt without the binary packages' lists.
"${sudo_cmd[@]}" apt-get update -q
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=300 \
    --no-install-recommends "${missing[@]}"
fi
# fetch_source PACKAGE VERSION HOME SOURCE: Debian's source package of PACKAGE at VERSION (a
# pattern: "*" for any), unpacked (with Debian's patches) into SOURCE, unless it is there already.
fetch_source() {
  local package=$1 version=$2 home=$3 source=$4
  [ -f "$source/CMakeLists.txt" ] || [ -f "$source/Configure" ] && return 0
  echo "Fetching $package $version's source package into $home"
  "${sudo_cmd[@]}" mkdir -p "$home"
  (
    cd "$home"
    "${sudo_cmd[@]}" apt-get source -q --download-only "$package"
    dsc=$(find . -maxdepth 1 -name "${package}_$version-*.dsc" | sort -V | tail -n 1)
    if [ -z "$dsc" ]; then
      echo "Debian's source package is not $package $version:" "${package}"_*.dsc >&2
      exit 1
    fi
    "${sudo_cmd[@]}" rm -rf "$source"
    "${sudo_cmd[@]}" dpkg-source -x "$dsc" "$source"
  )
}
if $need_source; then
  fetch_source geographiclib "$geographiclib_version" "$geographiclib_home" "$geographiclib_source"
  fetch_source mosquitto "$mosquitto_version" "$mosquitto_home" "$mosquitto_source"
  fetch_source openssl "*" "$openssl_home" "$openssl_source"
fi
