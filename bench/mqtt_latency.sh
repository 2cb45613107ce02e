#!/usr/bin/env bash
# An emergency heard (a line on standard input) to its event at an MQTT subscriber over a local
# Mosquitto, or with --to-siren to the siren of a second watcher of the same net: 50th and 99th
# percentile and the worst (bench/mqtt_latency.py).
#
#   bench/mqtt_latency.sh [--count N] [--gap SECONDS] [--to-siren]
#
# Build first: cmake --preset release && cmake --build --preset release.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SIRENWATCH_BUILD:-$root/build/release}
exe=$build/src/app/sirenwatch
[ -x "$exe" ] || { echo "$exe is missing" >&2; exit 1; }
command -v mosquitto_sub > /dev/null || { echo "mosquitto_sub is missing (Debian: mosquitto-clients)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -p "$XDG_DATA_HOME/sirenwatch/host" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS
# The program's own folder holds its Sirenwatch.ini: a copy, so the build's stays untouched.
mkdir "$work/bin"
cp "$exe" "$build/src/app/demo.tnc2" "$build/src/app/lowtemp.wav" "$work/bin/"
printf '[Station]\nCallsign=N0CALL\nLatitude=4530.25N\nLongitude=00912.34E\n[SetUp]\nPROGRAM_VERSION=1.86\n[Sirenwatch Host]\nMqttPrefix=bench\n' \
    > "$XDG_DATA_HOME/sirenwatch/host/Uiview32.INI"
# The second watcher of the net, in a home and a folder of its own.
mkdir -p "$work/second/data/sirenwatch/host" "$work/second/config" "$work/second/bin"
mkdir -m 700 "$work/second/run"
cp "$exe" "$build/src/app/demo.tnc2" "$build/src/app/lowtemp.wav" "$work/second/bin/"
printf '[Station]\nCallsign=N1CALL\nLatitude=4530.25N\nLongitude=00912.34E\n[SetUp]\nPROGRAM_VERSION=1.86\n[Sirenwatch Host]\nMqttPrefix=bench\n' \
    > "$work/second/data/sirenwatch/host/Uiview32.INI"
export SECOND_HOME=$work/second
python3 "$root/bench/mqtt_latency.py" "$work/bin/sirenwatch" "$@"
