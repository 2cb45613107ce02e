#!/usr/bin/env bash
# Each Windows package holds what a station operator unzips beside UI-View32, in one folder.
# Usage: tests/windows/check_packages.sh BUILD_DIR...
set -euo pipefail
expected="Sirenwatch/
Sirenwatch/LEGGIMI.txt
Sirenwatch/LICENSE
Sirenwatch/LICENSE-GeographicLib.txt
Sirenwatch/LICENSE-OpenSSL.txt
Sirenwatch/LICENSE-mosquitto.txt
Sirenwatch/README.txt
Sirenwatch/Sirenwatch.chm
Sirenwatch/Sirenwatch.exe
Sirenwatch/basemap.txt
Sirenwatch/dashboard/
Sirenwatch/dashboard/dashboard.css
Sirenwatch/dashboard/dashboard.js
Sirenwatch/dashboard/index.html
Sirenwatch/dashboard/vendor/
Sirenwatch/dashboard/vendor/leaflet/
Sirenwatch/dashboard/vendor/leaflet/LICENSE
Sirenwatch/dashboard/vendor/leaflet/VERSION
Sirenwatch/dashboard/vendor/leaflet/leaflet.css
Sirenwatch/dashboard/vendor/leaflet/leaflet.js
Sirenwatch/demo.tnc2
Sirenwatch/lowtemp.wav"
failures=0
for build in "$@"; do
  for zip in "$build"/Sirenwatch-*-windows-*.zip; do
    if [ ! -f "$zip" ]; then
      echo "FAIL: no package in $build"
      failures=$((failures + 1))
      continue
    fi
    if [ "$(cmake -E tar tf "$zip" | LC_ALL=C sort)" = "$expected" ]; then
      echo "PASS: $(basename "$zip") holds the program, its sound, the demo traffic, the base map, the dashboard's page, its help, the read-me files and the licences (its own, and those of the libraries compiled in)"
    else
      echo "FAIL: $(basename "$zip") holds:"
      cmake -E tar tf "$zip"
      failures=$((failures + 1))
    fi
  done
done
exit "$failures"
