#!/usr/bin/env bash
# Frame to alarm in a window under Xvfb: emergencies among 4,000 frames/s of ordinary
# traffic from a KISS TNC of our own on loopback; the 50th, 99th percentile and worst time
# from the frame's send to the panel showing it (bench/frame_to_alarm.py).
#
#   bench/frame_to_alarm.sh [--rate N] [--seconds N]
#
# Build first: cmake --preset release && cmake --build --preset release.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SIRENWATCH_BUILD:-$root/build/release}
exe=$build/src/app/sirenwatch
[ -x "$exe" ] || { echo "$exe is missing" >&2; exit 1; }
command -v xvfb-run > /dev/null || { echo "xvfb-run is missing (Debian: xvfb xauth)" >&2; exit 1; }

capture=$build/bench/day-100000-5000-13.tnc2
if [ ! -s "$capture" ]; then
    mkdir -p "$(dirname "$capture")"
    python3 "$root/bench/make_capture.py" --day --lines 100000 --stations 5000 \
        --emergency-stations 0 > "$capture"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS

echo "load: $(uptime | sed 's/.*load average/load average/')"
xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$root/bench/frame_to_alarm.py" "$exe" \
    "$capture" "$@" 2>&1 | grep -E "^(frame to panel|event loop|sent)"
