#!/usr/bin/env bash
# The feeds' Windows build under Wine, in a fresh Wine prefix:
#   - the feeds' tests (feeds_tests.exe): loopback servers of their own read by the Windows
#     feeds, replay and standard input, and a serial KISS TNC on a COM port: a socat pair of
#     pseudo-terminals linked in the prefix as COM5 (the feed's) and COM6 (the TNC's);
#   - a KISS server on Linux (socat) read by feed_lines.exe, a small program on the core.
# Usage: tests/windows/wine_feeds.sh WINDOWS_BUILD_DIR
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
windows_build="$(cd "$1" && pwd)"
work="$(mktemp -d /tmp/sirenwatch-wine-feeds.XXXXXX)"

source "$(dirname "$0")/wine_common.sh"

boot_prefix
wineserver -p  # one server for every start below

# ---- the feeds' tests, with a pair of COM ports
socat pty,raw,echo=0,link="$work/com-feed" pty,raw,echo=0,link="$work/com-tnc" &
socat_pid=$!
on_finish+=("kill $socat_pid 2>/dev/null")
for _ in $(seq 50); do [ -e "$work/com-feed" ] && [ -e "$work/com-tnc" ] && break; sleep 0.1; done
ln -sf "$work/com-feed" "$WINEPREFIX/dosdevices/com5"
ln -sf "$work/com-tnc" "$WINEPREFIX/dosdevices/com6"
status=0
SIRENWATCH_SERIAL_PAIR=COM5,COM6 timeout 300 wine "$windows_build/tests/windows/feeds_tests.exe" \
  >"$work/feeds_tests.out" 2>&1 || status=$?
tr -d '\r' <"$work/feeds_tests.out" | grep -E '^\[ *(OK|FAILED|SKIPPED|PASSED) *\]' || true
expect "the feeds' tests pass under Wine (exit $status)" test "$status" -eq 0
expect "the COM port pair was read" grep -q '^\[       OK \] SerialKissFeed.ReadsAComPortPair' \
  <(tr -d '\r' <"$work/feeds_tests.out")
[ "$status" -eq 0 ] || tail -n 40 "$work/feeds_tests.out"

# ---- a KISS server on Linux, read by the Windows build of the feed
/usr/bin/python3 - "$work/frames.kiss" <<'PY'
import sys
def address(call, last):
    name, _, ssid = call.partition('-')
    return bytes(ord(c) << 1 for c in name.ljust(6)) + bytes([0x60 | int(ssid or 0) << 1 | last])
def kiss(source, destination, info):
    frame = address(destination, 0) + address(source, 1) + b'\x03\xf0' + info
    frame = frame.replace(b'\xdb', b'\xdb\xdd').replace(b'\xc0', b'\xdb\xdc')
    return b'\xc0\x00' + frame + b'\xc0'
with open(sys.argv[1], 'wb') as out:
    out.write(kiss('IW2ABC', 'APRS', b'!4530.00N/00915.00E-Home station'))
    out.write(kiss('N0CALL-9', 'APRS', b'>EMERGENCY test'))
PY
port=$((20000 + $$ % 20000))
socat -u OPEN:"$work/frames.kiss" TCP-LISTEN:"$port",bind=127.0.0.1,reuseaddr &
server_pid=$!
on_finish+=("kill $server_pid 2>/dev/null")
status=0
timeout 60 wine "$windows_build/tests/windows/feed_lines.exe" 127.0.0.1 "$port" 2 \
  >"$work/lines.out" 2>"$work/lines.err" || status=$?
expect "feed_lines heard the Linux KISS server (exit $status)" test "$status" -eq 0
expect "the frames came as their TNC2 lines, in order" diff \
  <(printf 'IW2ABC>APRS:!4530.00N/00915.00E-Home station\nN0CALL-9>APRS:>EMERGENCY test\n') \
  <(tr -d '\r' <"$work/lines.out")
[ "$status" -eq 0 ] || cat "$work/lines.err"

finish_checks "Windows feeds"
