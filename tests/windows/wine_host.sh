#!/usr/bin/env bash
# Sirenwatch.exe with its own built-in host under Wine, without UI-View32, in a fresh prefix:
#   - the demo replayed headless prints the same emergencies as the Linux program;
#   - Direwolf on Linux decodes an emergency from audio made by its own generator and serves it
#     over KISS and over AGWPE: Sirenwatch.exe --headless --kiss / --agwpe prints it;
#   - a serial KISS TNC on COM5 (a socat pair of pseudo-terminals linked in the prefix),
#     unplugged and plugged back: both emergencies are printed;
#   - a stand-in APRS-IS server on loopback: the login is read-only and the emergency printed;
#   - --check tells the settings in force and refuses what a start would refuse; saving the
#     settings while the watch runs reads them again (the watch list takes effect);
#   - the MQTT net over TLS on a real mosquitto on loopback with a test CA: the status, the
#     emergency's event and the shared book's incident are published, "offline" as it goes;
#     --check refuses mqtts:// until the CA file is named;
#   - the dashboard Sirenwatch.exe serves, in headless Chromium: an emergency acknowledged,
#     taken and closed (tests/windows/wine_dashboard_browser.py).
# Direwolf listens on every interface, so the suite runs in a network namespace of its own with
# only loopback in it (it needs root, as the Linux end-to-end test of Direwolf does).
# Usage: tests/windows/wine_host.sh WINDOWS_BUILD_DIR [LINUX_BUILD_DIR]
set -euo pipefail

if [ -z "${SIRENWATCH_OWN_NETWORK:-}" ]; then
  SIRENWATCH_OWN_NETWORK=1 exec unshare --net "$0" "$@"
fi
ip link set lo up

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
windows_build="$(cd "$1" && pwd)"
linux_program="${2:+$(cd "$2" && pwd)/src/app/sirenwatch}"
work="$(mktemp -d /tmp/sirenwatch-wine-host.XXXXXX)"

source "$(dirname "$0")/wine_common.sh"

boot_prefix
# One server for every start below; what it says (a dump of its objects when the serial
# line it holds hangs up) goes to its own log.
wineserver -p 2>"$work/wineserver.log"

app_dir="$work/Programmi/Sirenwatch Però"
mkdir -p "$app_dir"
cp "$windows_build/src/app/windows/"{Sirenwatch.exe,lowtemp.wav,demo.tnc2} "$app_dir/"
exe="$app_dir/Sirenwatch.exe"

# emergencies FILE: the emergencies printed, without the clock's column.
emergencies() { tr -d '\r' <"$1" | grep '^EMERGENCY' | cut -f1-4,6- || true; }

# ---- the demo, replayed headless
status=0
timeout 120 wine "$exe" --headless --replay "$(windows_path "$app_dir/demo.tnc2")" --fast \
  >"$work/demo.out" 2>"$work/demo.err" || status=$?
expect "the demo replay ends by itself (exit $status)" test "$status" -eq 0
expect "the demo's emergencies are printed" grep -q $'^EMERGENCY\tQ7MOB-9' "$work/demo.out"
replay_logged() { compgen -G "$app_dir/replays/demo-*" >/dev/null; }
expect "the incident log of the replay is kept beside the program" replay_logged
if [ -n "$linux_program" ] && [ -x "$linux_program" ]; then
  HOME="$work/linux-home" QT_QPA_PLATFORM=offscreen "$linux_program" --headless \
    --replay "$source_dir/data/demo.tnc2" --fast >"$work/linux.out" 2>/dev/null || true
  expect "the same emergencies as the Linux program's" \
    diff <(emergencies "$work/linux.out") <(emergencies "$work/demo.out")
fi

# ---- --check, and the settings read again when they are saved
host_ini="$app_dir/host/Uiview32.INI"
status=0
timeout 60 wine "$exe" --check >"$work/check.out" 2>"$work/check.err" || status=$?
expect "check: the demo's settings can start the watch (exit $status)" test "$status" -eq 0
expect "check: it tells the settings in force and where they come from" \
  grep -q "Callsign = .*Uiview32.INI \[Station\]" <(tr -d '\r' <"$work/check.out")
cp "$host_ini" "$work/host.ini.kept"
sed -i 's/^Latitude=.*/Latitude=north/' "$host_ini"
status=0
timeout 60 wine "$exe" --check >"$work/check.out" 2>"$work/check.err" || status=$?
expect "check: a home that is no position is refused (exit $status)" test "$status" -eq 1
expect "check: and it says why" grep -q "the home position is not a position" "$work/check.err"
status=0
timeout 60 wine "$exe" --headless --replay "$(windows_path "$app_dir/demo.tnc2")" --fast \
  >"$work/refused.out" 2>"$work/refused.err" || status=$?
expect "a start refuses what --check refused (exit $status)" test "$status" -eq 1
expect "and says why" grep -q "the home position is not a position" "$work/refused.err"
cp "$work/host.ini.kept" "$host_ini"

rm -f "$work/lines"
mkfifo "$work/lines"
wine "$exe" --headless --json --stdin <"$work/lines" >"$work/reload.out" 2>"$work/reload.err" &
sirenwatch_pid=$!
exec 3>"$work/lines"
json_event() { tr -d '\r' <"$work/reload.out" | grep "\"event\":\"$1\"" | grep -q "$2"; }
printf '%s\n' 'Q1AAA>423W1T,WIDE1-1:`c0ooZO>/]"6)}EMERGENCY one' >&3
eventually "reload: the first station's emergency is heard" json_event emergency Q1AAA
printf '\r\n[Watch]\r\nIgnore=Q2BBB:test beacon\r\n' >>"$host_ini"
eventually "reload: the saved settings are read again" \
  grep -qs "settings read again from" "$work/reload.err"
printf '%s\n' 'Q2BBB>423W1T,WIDE1-1:`c0ooZO>/]"6)}EMERGENCY two' >&3
eventually "reload: the station the new watch list names is held back" \
  json_event incident '"held_back":"ignored.*Q2BBB\|Q2BBB.*"held_back":"ignored'
exec 3>&-
wait "$sirenwatch_pid" 2>/dev/null || true
cp "$work/host.ini.kept" "$host_ini"
[ "$failures" -eq 0 ] || tr -d '\r' <"$work/reload.err" | tail -n 20

# ---- Direwolf: an emergency as audio, decoded and served over KISS and AGWPE
printf '%s' 'N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]"6)}EMERGENCY test' >"$work/message.txt"
gen_packets -r 44100 -o "$work/frame.wav" "$work/message.txt" >/dev/null
tail -c +45 "$work/frame.wav" >"$work/frame.raw"  # the samples, after the header

# heard_over LABEL OPTION ENDPOINT CONFIG: Direwolf with CONFIG serving ENDPOINT, read by
# Sirenwatch.exe --headless OPTION ENDPOINT until the emergency is printed (bounded).
heard_over() {
  local label="$1" option="$2" endpoint="$3" config="$4" out="$work/$1.out" err="$work/$1.err"
  printf 'ADEVICE stdin null\nARATE 44100\nCHANNEL 0\nMYCALL N0CALL\n%s\n' "$config" \
    >"$work/$label.conf"
  rm -f "$work/$label.audio"
  mkfifo "$work/$label.audio"
  direwolf -c "$work/$label.conf" -t 0 -q d <"$work/$label.audio" >"$work/$label.direwolf" 2>&1 &
  local direwolf_pid=$!
  exec 3>"$work/$label.audio"
  wine "$exe" --headless "$option" "$endpoint" >"$out" 2>"$err" &
  local sirenwatch_pid=$!
  eventually "$label: Sirenwatch.exe connects to Direwolf" grep -qs "$endpoint: connected" "$err"
  # Direwolf takes the request for frames a while after it accepts the link: the frame goes on
  # the air again, each time with a second of silence after it, until heard.
  for _ in $(seq 10); do
    cat "$work/frame.raw" >&3
    head -c 88200 /dev/zero >&3
    for _ in $(seq 15); do
      grep -q $'^EMERGENCY\tN0CALL-9' <(tr -d '\r' <"$out") && break 2
      sleep 0.1
    done
  done
  expect "$label: the emergency from the air is printed" \
    grep -q $'^EMERGENCY\tN0CALL-9\tEMERGENCY\tEMERGENCY test' <(tr -d '\r' <"$out")
  exec 3>&-
  kill "$sirenwatch_pid" "$direwolf_pid" 2>/dev/null || true
  wait "$sirenwatch_pid" "$direwolf_pid" 2>/dev/null || true
  if [ "$failures" -ne 0 ]; then
    echo "--- $label: Sirenwatch.exe said"; tr -d '\r' <"$err" | tail -n 20
    echo "--- $label: Direwolf said"; tail -n 20 "$work/$label.direwolf"
  fi
}

kiss_port=$((20000 + $$ % 20000))
heard_over kiss --kiss "127.0.0.1:$kiss_port" "KISSPORT $kiss_port
AGWPORT 0"
agwpe_port=$((kiss_port + 1))
heard_over agwpe --agwpe "127.0.0.1:$agwpe_port" "AGWPORT $agwpe_port
KISSPORT 0"

# ---- the incident log those runs kept, exported without the watch
status=0
timeout 60 wine "$exe" --export "$(windows_path "$work/heard.gpx")" >"$work/export.out" \
  2>"$work/export.err" || status=$?
expect "export: the incident log is written as GPX (exit $status)" test "$status" -eq 0
expect "export: the emergency heard over the air is in it" grep -q "N0CALL-9" "$work/heard.gpx"

# ---- a serial KISS TNC on COM5, unplugged and plugged back
# kiss_frame SOURCE COMMENT: a KISS frame of the Mic-E emergency SOURCE>423W1T,WIDE1-1.
kiss_frame() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
def address(call, last):
    name, _, ssid = call.partition('-')
    return bytes(ord(c) << 1 for c in name.ljust(6)) + bytes([0x60 | int(ssid or 0) << 1 | last])
frame = (address('423W1T', 0) + address(sys.argv[1], 0) + address('WIDE1-1', 1) + b'\x03\xf0'
         + b'`c0ooZO>/]"6)}' + sys.argv[2].encode())
frame = frame.replace(b'\xdb', b'\xdb\xdd').replace(b'\xc0', b'\xdb\xdc')
sys.stdout.buffer.write(b'\xc0\x00' + frame + b'\xc0')
PY
}
kiss_frame N0CALL-9 'EMERGENCY test' >"$work/first.kiss"
kiss_frame N0CALL-7 'EMERGENCY again' >"$work/second.kiss"
plug_tnc() {
  rm -f "$work/com-feed" "$work/com-tnc"
  socat pty,raw,echo=0,link="$work/com-feed" pty,raw,echo=0,link="$work/com-tnc" &
  socat_pid=$!
  for _ in $(seq 50); do [ -e "$work/com-feed" ] && [ -e "$work/com-tnc" ] && break; sleep 0.1; done
  ln -sfn "$work/com-feed" "$WINEPREFIX/dosdevices/com5"
}
printed() { grep -q $'^EMERGENCY\t'"$1" <(tr -d '\r' <"$work/serial.out"); }
# send_until FRAMES STATION: the frames written to the TNC's end until STATION is printed.
send_until() {
  for _ in $(seq 50); do
    cat "$1" >"$work/com-tnc" 2>/dev/null || true
    printed "$2" && return 0
    sleep 0.2
  done
  return 1
}
plug_tnc
wine "$exe" --headless --serial COM5:9600 >"$work/serial.out" 2>"$work/serial.err" &
sirenwatch_pid=$!
eventually "serial: COM5 is opened" grep -qs "COM5 at 9600 bd: open" "$work/serial.err"
expect "serial: the TNC's emergency is printed" send_until "$work/first.kiss" N0CALL-9
kill "$socat_pid"
wait "$socat_pid" 2>/dev/null || true
eventually "serial: the unplugged TNC is told" grep -qs "COM5 at 9600 bd: .*trying again" \
  "$work/serial.err"
eventually "serial: the feed's watchdog says the link is down" grep -qs "COM5 .*is down: " \
  "$work/serial.err"
plug_tnc
expect "serial: plugged back, the next emergency is printed" \
  send_until "$work/second.kiss" N0CALL-7
kill "$sirenwatch_pid" "$socat_pid" 2>/dev/null || true
wait "$sirenwatch_pid" "$socat_pid" 2>/dev/null || true
[ "$failures" -eq 0 ] || tr -d '\r' <"$work/serial.err" | tail -n 20

# ---- a stand-in APRS-IS server on loopback
aprs_port=$((kiss_port + 2))
/usr/bin/python3 - "$aprs_port" "$work/login.txt" <<'PY' &
import socket, sys
server = socket.create_server(("127.0.0.1", int(sys.argv[1])))
server.settimeout(60)
peer, _ = server.accept()
peer.settimeout(30)
peer.sendall(b"# stand-in 1.0\r\n")
login = b""
while not login.endswith(b"\n"):
    login += peer.recv(1)
open(sys.argv[2], "wb").write(login)
peer.sendall(b"# logresp N0CALL unverified, server T2TEST\r\n"
             b"N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test\r\n")
peer.recv(1)  # until the client goes
PY
server_pid=$!
sleep_until_listening() { grep -q ":$(printf '%04X' "$aprs_port") " /proc/net/tcp; }
eventually "APRS-IS: the stand-in server listens" sleep_until_listening
wine "$exe" --headless --aprs-is "127.0.0.1:$aprs_port" >"$work/aprs.out" 2>"$work/aprs.err" &
sirenwatch_pid=$!
aprs_printed() { grep -q $'^EMERGENCY\tN0CALL-9' <(tr -d '\r' <"$work/aprs.out"); }
eventually "APRS-IS: the emergency is printed" aprs_printed
expect "APRS-IS: the login is read-only (passcode -1)" grep -q "pass -1" "$work/login.txt"
kill "$sirenwatch_pid" "$server_pid" 2>/dev/null || true
wait "$sirenwatch_pid" "$server_pid" 2>/dev/null || true

# ---- the MQTT net over TLS, on a mosquitto of its own on loopback with a test CA
mqtt_port=$((kiss_port + 3))
(
  cd "$work"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key \
    -out ca.crt -days 2 -subj "/CN=Sirenwatch test CA"
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout server.key \
    -out server.csr -subj "/CN=localhost"
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >san.ext
  openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt \
    -days 2 -extfile san.ext
) >"$work/openssl.log" 2>&1
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$mqtt_port" \
  >"$work/mosquitto.conf"
printf 'cafile %s\ncertfile %s\nkeyfile %s\n' "$work/ca.crt" "$work/server.crt" \
  "$work/server.key" >>"$work/mosquitto.conf"
# Run as root (the suite needs it), mosquitto would drop to its own user, which cannot read the
# key in this private folder.
[ "$(id -u)" -ne 0 ] || echo 'user root' >>"$work/mosquitto.conf"
/usr/sbin/mosquitto -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
broker_pid=$!
broker_listens() { grep -q ":$(printf '%04X' "$mqtt_port") " /proc/net/tcp; }
eventually "MQTT: the broker listens, with TLS" broker_listens
status=0
timeout 60 wine "$exe" --check --mqtt "mqtts://localhost:$mqtt_port" >"$work/check-tls.out" \
  2>"$work/check-tls.err" || status=$?
expect "MQTT: --check refuses mqtts:// without MqttCaFile (exit $status)" test "$status" -eq 1
expect "MQTT: and says what to name" grep -q "needs MqttCaFile here" "$work/check-tls.err"
cp "$host_ini" "$work/host.ini.kept"
# name_ca FILE: MqttCaFile=FILE in the host's section of the host's settings.
name_ca() {
  sed -i -e '/^MqttCaFile=/d' \
    -e "s|^\\[Sirenwatch Host\\]\r\$|[Sirenwatch Host]\r\nMqttCaFile=$(windows_path "$1" | sed 's/\\/\\\\/g')\r|" \
    "$host_ini"
}
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/other.key" \
  -out "$work/other.crt" -days 2 -subj "/CN=Another CA" >>"$work/openssl.log" 2>&1
name_ca "$work/other.crt"
timeout 60 wine "$exe" --check --mqtt "mqtts://localhost:$mqtt_port" >"$work/check-tls.out" \
  2>"$work/check-tls.err" || true
expect "MQTT: a broker whose certificate another CA signed is not trusted" \
  grep -q "the TLS handshake failed" "$work/check-tls.err"
name_ca "$work/ca.crt"
mosquitto_sub -h localhost -p "$mqtt_port" --cafile "$work/ca.crt" -t 'sirenwatch/#' -v \
  >"$work/mqtt.txt" 2>"$work/mqtt-sub.err" &
sub_pid=$!
rm -f "$work/mqtt-lines"
mkfifo "$work/mqtt-lines"
wine "$exe" --headless --stdin --mqtt "mqtts://localhost:$mqtt_port" <"$work/mqtt-lines" \
  >"$work/mqtt.out" 2>"$work/mqtt.err" &
sirenwatch_pid=$!
exec 3>"$work/mqtt-lines"
published() { grep -q "$1" "$work/mqtt.txt"; }
eventually "MQTT: the watcher says it is online, over TLS" \
  published '^sirenwatch/N0CALL/status online'
printf '%s\n' 'Q3MQT>423W1T,WIDE1-1:`c0ooZO>/]"6)}EMERGENCY net' >&3
eventually "MQTT: the emergency's event is published" \
  published '^sirenwatch/N0CALL/events/emergency .*"callsign":"Q3MQT".*"event_id"'
eventually "MQTT: the incident is in the net's shared book" \
  published '^sirenwatch/N0CALL/book/incidents/N0CALL/[0-9]* .*Q3MQT'
exec 3>&-
wait "$sirenwatch_pid" 2>/dev/null || true
eventually "MQTT: and offline as it goes" published '^sirenwatch/N0CALL/status offline'
kill "$sub_pid" "$broker_pid" 2>/dev/null || true
wait "$sub_pid" "$broker_pid" 2>/dev/null || true
cp "$work/host.ini.kept" "$host_ini"
[ "$failures" -eq 0 ] || { tail -n 20 "$work/mqtt.txt"; tr -d '\r' <"$work/mqtt.err" | tail -n 20; }

# ---- the dashboard served by Sirenwatch.exe, used in headless Chromium on Linux
if [ -x /usr/bin/chromium ] && [ -x /usr/bin/chromedriver ]; then
  dashboard_dir="$work/Dashboard Però"
  mkdir -p "$dashboard_dir"
  cp -r "$windows_build/src/app/windows/"{Sirenwatch.exe,lowtemp.wav,demo.tnc2,basemap.txt,dashboard} \
    "$dashboard_dir/"
  status=0
  timeout 180 /usr/bin/python3 "$source_dir/tests/windows/wine_dashboard_browser.py" \
    "$dashboard_dir" "$windows_build/screenshots" >"$work/dashboard.log" 2>&1 || status=$?
  expect "dashboard: its emergency is acknowledged, taken and closed in Chromium (exit $status)" \
    test "$status" -eq 0
  [ "$status" -eq 0 ] || tail -n 30 "$work/dashboard.log"
else
  fail "dashboard: Chromium and its driver are missing (Debian chromium, chromium-driver)"
fi

finish_checks "built-in host"
