#!/usr/bin/env bash
# A day of a busy feed (3.5 million lines from 60,000 stations, the APRS-IS full feed's mix,
# a few emergencies) replayed headless as fast as the release build takes it: time, peak
# memory, memory hour by hour, and the incident log's size.
#
#   bench/day.sh [--lines N] [--stations N] [--seed N]
#
# Build first: cmake --preset release && cmake --build --preset release.
# The capture is generated into the build folder once; runs in a private home.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SIRENWATCH_BUILD:-$root/build/release}
lines=3500000
stations=60000
seed=13
while [ $# -gt 0 ]; do
    case $1 in
        --lines) lines=$2; shift 2 ;;
        --stations) stations=$2; shift 2 ;;
        --seed) seed=$2; shift 2 ;;
        *) echo "usage: $0 [--lines N] [--stations N] [--seed N]" >&2; exit 2 ;;
    esac
done
exe=$build/src/app/sirenwatch
[ -x "$exe" ] || { echo "$exe is missing" >&2; exit 1; }

capture=$build/bench/day-$lines-$stations-$seed.tnc2
if [ ! -s "$capture" ]; then
    mkdir -p "$(dirname "$capture")"
    python3 "$root/bench/make_capture.py" --day --lines "$lines" --stations "$stations" \
        --seed "$seed" > "$capture.part"
    mv "$capture.part" "$capture"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

echo "capture: $capture"
echo "load: $(uptime | sed 's/.*load average/load average/')"
python3 "$root/bench/day.py" "$exe" "$capture" "$XDG_DATA_HOME"
