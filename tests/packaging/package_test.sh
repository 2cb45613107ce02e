#!/usr/bin/env bash
# The Debian package as an operator gets it: made by cpack, without lintian errors, unpacked
# into a scratch root where the program runs the demo with its files in the installed places;
# the maintainer scripts stop the service on removal and clear its links and state on purge;
# both units verify, the system unit's ExecStart runs with its settings in a scratch folder and
# its lines carry journal priorities; SIGHUP re-reads the settings and keeps the watch's state,
# SIGTERM ends through the close path.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb lintian systemd-analyze scdoc; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh test"
done
scratch=$(mktemp -d "$build/package-test.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# Waits up to 15 s for a file to hold a line matching the pattern.
wait_for() {
  for _ in $(seq 150); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  fail "no line matching '$2' in $1: $(cat "$1" 2>/dev/null)"
}

# --- The package and lintian ---------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$scratch/out/sirenwatch_${version}_amd64.deb
[ -f "$deb" ] || fail "cpack made no $deb"
lintian --fail-on error "$deb" 2>/dev/null || fail "lintian reports errors on $deb"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "Depends lacks the linked Qt libraries"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/sirenwatch usr/bin/sirenwatch-decode usr/share/sirenwatch/basemap.txt \
            usr/share/sirenwatch/demo.tnc2 usr/share/sirenwatch/lowtemp.wav \
            usr/share/sirenwatch/help/index.html usr/share/applications/sirenwatch.desktop \
            usr/share/icons/hicolor/64x64/apps/sirenwatch.png usr/share/man/man1/sirenwatch.1.gz \
            usr/share/doc/sirenwatch/copyright lib/systemd/system/sirenwatch.service \
            usr/lib/systemd/user/sirenwatch.service usr/lib/sysusers.d/sirenwatch.conf \
            etc/sirenwatch/Sirenwatch.ini etc/sirenwatch/host/Uiview32.INI; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
grep -q '^License: GPL-3.0-or-later' "$root/usr/share/doc/sirenwatch/copyright" &&
  grep -q '/usr/share/common-licenses/GPL-3' "$root/usr/share/doc/sirenwatch/copyright" ||
  fail "the copyright file does not give Sirenwatch's own licence, GPL-3.0-or-later"
grep -q 'Natural Earth' "$root/usr/share/doc/sirenwatch/copyright" &&
  grep -q 'public domain' "$root/usr/share/doc/sirenwatch/copyright" ||
  fail "the copyright file does not name the base map's source and licence"

# Files that may hold a secret are not for every local user.
contents=$(dpkg-deb -c "$deb")
grep -q '^-rw-r----- .*/etc/sirenwatch/host/Uiview32.INI$' <<<"$contents" ||
  fail "the host's settings (DashboardToken) are not 0640 in the package: $(grep Uiview32 <<<"$contents")"

# --- The maintainer scripts, on a scratch root (DPKG_ROOT), with Debian's own helpers --------
# The service is stopped on removal, its enablement links go on purge, and so does its state.
control=$scratch/control
dpkg-deb -e "$deb" "$control"
for script in postinst prerm postrm; do
  [ -x "$control/$script" ] || fail "the package has no $script"
done
fake_bin=$scratch/fake-bin calls=$scratch/calls
mkdir -p "$fake_bin" "$scratch/run-systemd"
for tool in systemd-sysusers systemctl deb-systemd-invoke chgrp; do
  printf '#!/bin/sh\necho "%s $*" >>%s\n' "$tool" "$calls" >"$fake_bin/$tool"
done
printf '#!/bin/sh\nexit 0\n' >"$fake_bin/getent"     # the sirenwatch group exists
printf '#!/bin/sh\necho root\n' >"$fake_bin/stat"    # as dpkg unpacked it
chmod +x "$fake_bin"/*
dpkg_root=$scratch/dpkg-root
mkdir -p "$dpkg_root/lib/systemd/system" "$dpkg_root/usr/lib/systemd/user" "$dpkg_root/etc/sirenwatch/host" "$dpkg_root/var/lib/sirenwatch/incidents"
cp "$root/lib/systemd/system/sirenwatch.service" "$dpkg_root/lib/systemd/system/"
cp "$root/usr/lib/systemd/user/sirenwatch.service" "$dpkg_root/usr/lib/systemd/user/"
cp "$root/etc/sirenwatch/host/Uiview32.INI" "$dpkg_root/etc/sirenwatch/host/"
touch "$dpkg_root/var/lib/sirenwatch/incidents/incidents-2026-12-07.jsonl"
in_root() {
  env PATH="$fake_bin:$PATH" DPKG_ROOT="$dpkg_root" DPKG_MAINTSCRIPT_PACKAGE=sirenwatch \
    DPKG_MAINTSCRIPT_NAME="${1##*/}" "$@"
}
in_root "$control/postinst" configure || fail "postinst configure failed"
grep -q "chgrp sirenwatch $dpkg_root/etc/sirenwatch/host/Uiview32.INI" "$calls" &&
  [ "$(stat -c %a "$dpkg_root/etc/sirenwatch/host/Uiview32.INI")" = 640 ] ||
  fail "postinst did not give the host's settings to root:sirenwatch 0640: $(cat "$calls")"
[ -z "$(find "$dpkg_root/etc" -type l)" ] || fail "postinst enabled the service: $(find "$dpkg_root/etc" -type l)"
in_root deb-systemd-helper enable sirenwatch.service   # the operator enables it
wants=$dpkg_root/etc/systemd/system/multi-user.target.wants/sirenwatch.service
[ -L "$wants" ] || fail "enabling the service made no link"
# Stopped on removal where systemd runs (here a scratch /run/systemd/system), not on upgrade.
sed "s|/run/systemd/system|$scratch/run-systemd|" "$control/prerm" >"$scratch/prerm" && chmod +x "$scratch/prerm"
env PATH="$fake_bin:$PATH" "$scratch/prerm" upgrade 1.0
! grep -q "deb-systemd-invoke stop" "$calls" || fail "prerm stopped the service for an upgrade"
env PATH="$fake_bin:$PATH" "$scratch/prerm" remove
grep -q "deb-systemd-invoke stop sirenwatch.service" "$calls" || fail "prerm remove does not stop the service"
in_root "$control/postrm" remove || fail "postrm remove failed"
[ -d "$dpkg_root/var/lib/sirenwatch" ] || fail "postrm remove took the state that only purge takes"
in_root "$control/postrm" purge || fail "postrm purge failed"
[ ! -e "$wants" ] && [ ! -L "$wants" ] || fail "purge left the enablement link $wants"
[ -z "$(find "$dpkg_root/etc/systemd" -type l 2>/dev/null)" ] || fail "purge left links: $(find "$dpkg_root/etc/systemd" -type l)"
[ ! -e "$dpkg_root/var/lib/sirenwatch" ] || fail "purge left /var/lib/sirenwatch"

# The man page names every option --help lists, its exit status and files.
man=$(zcat "$root/usr/share/man/man1/sirenwatch.1.gz" | sed 's/\\f[BIRP]//g; s/\\-/-/g')
exe=$root/usr/bin/sirenwatch
for option in $("$exe" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
  grep -qF -- "$option" <<<"$man" || fail "the man page does not list $option"
done
for section in 'EXIT STATUS' FILES SIGNALS INCIDENTS WATCH; do
  grep -q "^.SH $section" <<<"$man" || fail "the man page has no $section section"
done
# It tells the [Watch] keys, the incident states and how to export the service's log.
for text in AlarmRadiusKm AlarmArea Ignore= 'being handled' 'stood down' \
            'STATE_DIRECTORY=/var/lib/sirenwatch sirenwatch --export'; do
  grep -qF -- "$text" <<<"$man" || fail "the man page does not tell of $text"
done

# --- The unpacked program: installed layout -------------------------------------------------
mkdir -p "$scratch/runtime" && chmod 700 "$scratch/runtime"
run_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u JOURNAL_STREAM
         -u CONFIGURATION_DIRECTORY -u STATE_DIRECTORY
         HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
         XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8)
touch "$scratch/before"
"${run_env[@]}" timeout 60 "$exe" --headless --replay "$root/usr/share/sirenwatch/demo.tnc2" \
  --fast >"$scratch/demo.out" 2>"$scratch/demo.err" || fail "the demo run failed: $(cat "$scratch/demo.err")"
[ "$(grep -c $'^EMERGENCY\t' "$scratch/demo.out")" -eq 3 ] &&
  grep -q $'^EMERGENCY\tQ4HIKE-7\t' "$scratch/demo.out" &&
  grep -q $'^ALARM\ton$' "$scratch/demo.out" || fail "the demo's emergencies: $(cat "$scratch/demo.out")"
settings=$scratch/config/sirenwatch
[ -f "$settings/Sirenwatch.ini" ] || fail "no Sirenwatch.ini in $settings"
grep -q "^ReplayFile=$root/usr/share/sirenwatch/demo.tnc2" "$settings/host/Uiview32.INI" ||
  fail "the host's settings are not in $settings/host or do not name the shipped demo"
ls "$scratch/data/sirenwatch/replays/"demo-*/incidents-*.jsonl >/dev/null || fail "no incident log of the replay"
written=$(find "$root" -newer "$scratch/before" -type f)
[ -z "$written" ] || fail "the installed program wrote beside itself: $written"

"${run_env[@]}" "$exe" --check >"$scratch/check.out" || fail "--check: $(cat "$scratch/check.out")"
grep -q "installed" "$scratch/check.out" && grep -q "$settings/host/Uiview32.INI" "$scratch/check.out" ||
  fail "--check does not show the installed layout: $(cat "$scratch/check.out")"
sed -i 's/^Latitude=.*/Latitude=9130.00N/' "$settings/host/Uiview32.INI"
if "${run_env[@]}" "$exe" --check >/dev/null 2>"$scratch/check.err"; then fail "--check passed a bad home"; fi
grep -q "home position" "$scratch/check.err" || fail "--check did not say why: $(cat "$scratch/check.err")"
sed -i 's/^Latitude=.*/Latitude=4530.25N/; s|^OnEmergency=.*|OnEmergency=/no/such/alert --now|' "$settings/host/Uiview32.INI"
if "${run_env[@]}" "$exe" --check >/dev/null 2>"$scratch/check.err"; then fail "--check passed a missing command"; fi
grep -q "emergency command" "$scratch/check.err" || fail "--check did not say why: $(cat "$scratch/check.err")"
sed -i 's|^OnEmergency=.*|OnEmergency=|' "$settings/host/Uiview32.INI"

# --- The units ------------------------------------------------------------------------------
# Verified as shipped, but for the executable's place in the scratch root.
mkdir -p "$scratch/units/system" "$scratch/units/user"
sed "s|/usr/bin/sirenwatch|$exe|" "$root/lib/systemd/system/sirenwatch.service" >"$scratch/units/system/sirenwatch.service"
sed "s|/usr/bin/sirenwatch|$exe|" "$root/usr/lib/systemd/user/sirenwatch.service" >"$scratch/units/user/sirenwatch.service"
MANPATH=$root/usr/share/man systemd-analyze verify "$scratch/units/system/sirenwatch.service" ||
  fail "systemd-analyze verify: the system unit"
MANPATH=$root/usr/share/man XDG_RUNTIME_DIR=$scratch/runtime \
  systemd-analyze --user verify "$scratch/units/user/sirenwatch.service" || fail "systemd-analyze verify: the user unit"
for key in NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
           Restart=on-failure StateDirectory=sirenwatch ConfigurationDirectory=sirenwatch \
           User=sirenwatch RestrictAddressFamilies=; do
  grep -q "^$key" "$scratch/units/system/sirenwatch.service" || fail "the system unit lacks $key"
done

mkdir -p "$scratch/sysroot/etc"
systemd-sysusers --root="$scratch/sysroot" "$root/usr/lib/sysusers.d/sirenwatch.conf" 2>/dev/null
grep -q '^sirenwatch:.*:/var/lib/sirenwatch:' "$scratch/sysroot/etc/passwd" &&
  grep -q '^dialout:.*sirenwatch' "$scratch/sysroot/etc/group" || fail "sysusers.d made no sirenwatch user in dialout"

# The system unit's ExecStart, as systemd runs it: settings from CONFIGURATION_DIRECTORY
# (the shipped /etc/sirenwatch, feed set to the demo), state in STATE_DIRECTORY, output read
# by the journal.
read -r -a exec_start <<<"$(sed -n 's/^ExecStart=//p' "$scratch/units/system/sirenwatch.service")"
cp -r "$root/etc/sirenwatch" "$scratch/etc-sirenwatch"
sed -i 's/^Source=.*/Source=replay/' "$scratch/etc-sirenwatch/host/Uiview32.INI"
printf 'ReplayFile=%s\nFast=1\n' "$root/usr/share/sirenwatch/demo.tnc2" >>"$scratch/etc-sirenwatch/host/Uiview32.INI"
env -i PATH="$PATH" HOME="$scratch/service-home" XDG_RUNTIME_DIR="$scratch/runtime" \
  QT_QPA_PLATFORM=offscreen CONFIGURATION_DIRECTORY="$scratch/etc-sirenwatch" \
  STATE_DIRECTORY="$scratch/state" JOURNAL_STREAM=8:12345 \
  timeout 60 "${exec_start[@]}" >"$scratch/service.out" 2>"$scratch/service.err" ||
  fail "the unit's ExecStart failed: $(cat "$scratch/service.err")"
[ "$(grep -c $'^<2>EMERGENCY\t' "$scratch/service.out")" -eq 3 ] && grep -q $'^<2>ALARM\ton' "$scratch/service.out" ||
  fail "the service's emergencies are not critical: $(cat "$scratch/service.out")"
! grep -qv '^<[0-7]>' "$scratch/service.out" "$scratch/service.err" || fail "a service line has no priority"
ls "$scratch/state/replays/"demo-*/incidents-*.jsonl >/dev/null || fail "the service kept no incident log in its state"

# --- SIGHUP and SIGTERM ---------------------------------------------------------------------
frame() { grep -F "$1" "$root/usr/share/sirenwatch/demo.tnc2" | sed -n "${2}p" | cut -d' ' -f2-; }
mkfifo "$scratch/feed"
"${run_env[@]}" "$exe" --headless --json --stdin <"$scratch/feed" >"$scratch/watch.out" 2>"$scratch/watch.err" &
pids+=($!)
exec 3>"$scratch/feed"
frame 'Q7MOB-9>' 1 >&3
wait_for "$scratch/watch.out" '"callsign":"Q7MOB-9"'
sed -i "s|^OnEmergency=.*|OnEmergency=/usr/bin/touch $scratch/told|" "$settings/host/Uiview32.INI"
kill -HUP "${pids[0]}"
wait_for "$scratch/watch.err" 'settings read again'
frame 'Q4HIKE-7>' 1 >&3
for _ in $(seq 150); do [ -f "$scratch/told" ] && break; sleep 0.1; done
[ -f "$scratch/told" ] || fail "the emergency command set before SIGHUP did not run"
frame 'Q7MOB-9>' 2 >&3
wait_for "$scratch/watch.out" '"callsign":"Q7MOB-9".*"new":false\|"new":false.*"callsign":"Q7MOB-9"'
[ "$(grep -c '"event":"alarm"' "$scratch/watch.out")" -eq 1 ] || fail "SIGHUP touched the alarm: $(cat "$scratch/watch.out")"
kill -TERM "${pids[0]}"
status=0
wait "${pids[0]}" || status=$?
exec 3>&-
[ "$status" -eq 0 ] || fail "SIGTERM: exit status $status: $(cat "$scratch/watch.err")"
grep -q '^Left=' "$settings/Sirenwatch.ini" || fail "SIGTERM did not save the settings"
[ "$(cat "$scratch/data/sirenwatch/incidents/"*.jsonl | grep -c '"Q4HIKE-7"')" -ge 1 ] ||
  fail "the incident log lacks the emergency after SIGHUP"
echo "package, layout, units and signals: all good"
