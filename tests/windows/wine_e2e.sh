#!/usr/bin/env bash
# The Windows build end to end under Wine, against the stand-in host, in a fresh Wine prefix:
#   - the demo capture gives the same headless lines as the Linux build (but the time column);
#   - the circles reach the host with the user's width, style and colours;
#   - the host closing ends Sirenwatch, and Sirenwatch.ini is saved;
#   - a second instance is refused;
#   - a host call failing drops its frame and the next frames are handled;
#   - a host that is not registered gives a clear message and nothing is written;
#   - a host killed while Sirenwatch watches is told once, the settings are saved, and it ends;
#   - the compiled interfaces are the host's documented ones;
#   - our settings-file layer reads and writes as Windows' own profile calls do;
#   - the incident outlets keep their log and journal, and the emergency command's job object
#     ends a hanging command with what it started.
# Usage: tests/windows/wine_e2e.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
windows_build="$(cd "$1" && pwd)"
linux_build="$(cd "$2" && pwd)"
work="$(mktemp -d /tmp/sirenwatch-wine.XXXXXX)"

source "$(dirname "$0")/wine_common.sh"

boot_prefix
wineserver -p  # one server for every start below
install_programs
sirenwatch() { wine "$app_dir/Sirenwatch.exe" --headless; }
# The headless lines without the time column (the runs do not happen at the same time).
without_time() { tr -d '\r' <"$1" | awk -F'\t' -v OFS='\t' '$1 == "EMERGENCY" { $5 = "" } { print }'; }

# The user's own circle style, in English, as an earlier run of this version left it.
printf '[SetUp]\r\nVersion=1.11\r\nCircleColor=65280\r\nCircleWidth=3\r\nFillType=4\r\nFillColor=255\r\nUnit=1\r\nLanguage=2\r\n' \
  >"$app_dir/Sirenwatch.ini"

# ---- the demo, beside the Linux build's run of the same capture
register
status=0
sirenwatch >"$work/windows.out" 2>"$work/windows.err" || status=$?
expect "the demo runs to the host's closing (exit $status)" test "$status" -eq 0
linux_home="$work/linux"
mkdir -p "$linux_home" && chmod 700 "$linux_home"
XDG_CONFIG_HOME="$linux_home/config" XDG_DATA_HOME="$linux_home/data" XDG_RUNTIME_DIR="$linux_home" \
  "$linux_build/src/app/sirenwatch" --headless --replay "$source_dir/data/demo.tnc2" --fast \
  >"$work/linux.out" 2>"$work/linux.err"
expect "the demo gives emergencies" grep -q '^EMERGENCY' "$work/linux.out"
if diff <(without_time "$work/linux.out") <(without_time "$work/windows.out") >"$work/diff"; then
  pass "the headless lines equal the Linux build's"
else
  fail "the headless lines equal the Linux build's"
  cat "$work/diff" "$work/windows.err"
fi
expect "every circle has the user's colour" \
  awk '$1 == "DrawCircle" { n++; if ($5 != 65280) bad = 1 } END { exit !(n > 0 && !bad) }' "$calls"
expect "the user's width, fill style and fill colour come before the circles" \
  grep -qPz 'SetDrawWidth 3\nSetFillStyle 4\nSetFillColor 255\nGetScale\nDrawCircle' "$calls"
expect "the add-on listened to the map's redraws" grep -q '^raise MapRedrawn' "$calls"
expect "the host's closing reached the add-on" grep -q '^raise UIView32IsClosing' "$calls"
cp "$calls" "$work/demo-calls.log"
expect "Sirenwatch.ini was saved on the way out" stored '^Left='
expect "the saved circle style is the user's" \
  stored '^CircleColor=65280'

# ---- a second instance while the first runs
register --interval-ms 50 --close-after-ms 4000
sirenwatch >"$work/first.out" 2>"$work/first.err" &
first=$!
for _ in $(seq 100); do grep -q '^playing' "$calls" 2>/dev/null && break; sleep 0.1; done
status=0
sirenwatch >"$work/second.out" 2>"$work/second.err" || status=$?
expect "a second instance ends (exit $status)" test "$status" -eq 1
expect "a second instance says so" grep -q 'is already running.' "$work/second.err"
status=0
wait "$first" || status=$?
expect "the first instance runs on to the host's closing (exit $status)" test "$status" -eq 0

# ---- a host call failing: the station look-up of the first emergency frame
first_emergency=$(awk '/^GetStation/ { n++ } /^GetBeaconText/ { print n; exit }' "$work/demo-calls.log")
register --fail "GetStation:$first_emergency"
status=0
sirenwatch >"$work/failing.out" 2>"$work/failing.err" || status=$?
expect "a failing call does not end Sirenwatch (exit $status)" test "$status" -eq 0
expect "the failure is told" \
  grep -q 'Error while talking to UI-View32' "$work/failing.err"
expect "the failure names the call" grep -q 'GetStation' "$work/failing.err"
expect "the frames after it are handled" \
  bash -c "diff <(grep '^EMERGENCY' '$work/linux.out' | tail -n +2 | cut -f 1-4) \
                <(grep '^EMERGENCY' '$work/failing.out' | cut -f 1-4)"

# ---- a host that is not registered
wine "$host_dir/standin_host.exe" /unregserver
cp "$app_dir/Sirenwatch.ini" "$work/before.ini"
status=0
sirenwatch >"$work/absent.out" 2>"$work/absent.err" || status=$?
expect "without the host Sirenwatch ends (exit $status)" test "$status" -eq 1
expect "without the host the message is clear, in English" \
  grep -q 'not running or not registered' "$work/absent.err"
expect "without the host nothing is written" cmp -s "$work/before.ini" "$app_dir/Sirenwatch.ini"

# ---- a host that dies (is killed, does not close) while Sirenwatch waits for its next frame;
# last of the host's checks, as Wine keeps the dead server's classes registered
register --interval-ms 600000 --close-after-ms 600000
sed -i '/^Left=/d' "$app_dir/Sirenwatch.ini"
sirenwatch >"$work/killed.out" 2>"$work/killed.err" &
watcher=$!
for _ in $(seq 100); do grep -q '^playing' "$calls" 2>/dev/null && break; sleep 0.1; done
wine taskkill /f /pid "$(awk '$1 == "pid" { print $2 }' "$calls")" >/dev/null 2>&1
ended() { ! kill -0 "$watcher" 2>/dev/null; }
eventually "Sirenwatch ends when its host dies" ended
ended || kill "$watcher" 2>/dev/null || true
status=0
wait "$watcher" || status=$?
expect "after its host died Sirenwatch ends normally (exit $status)" test "$status" -eq 0
expect "the host's death is told once" \
  test "$(grep -c 'Error while talking to UI-View32' "$work/killed.err")" -eq 1
expect "after its host died the settings are saved" stored '^Left='

# ---- the settings-file layer against Windows' own profile calls
mkdir -p "$work/profiles"
expect "our profile layer reads and writes as Windows does" \
  wine "$windows_build/tests/windows/profile_compare.exe" "$(windows_path "$work/profiles")"

# ---- the compiled interfaces against the host's documented ones, and the busy-call filter
expect "the interfaces are the host's documented ones" \
  wine "$windows_build/tests/windows/interface_check.exe" "$(windows_path "$windows_build/uiview32/UIView32.tlb")"

# ---- the incident outlets: the log and its journal, the command and its job object
mkdir -p "$work/outlets"
expect "the incident outlets run on Windows" \
  wine "$windows_build/tests/windows/outlets_check.exe" "$(windows_path "$work/outlets")"

finish_checks Windows
