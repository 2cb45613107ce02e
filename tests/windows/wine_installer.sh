#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh Wine prefix:
#   - `setup.exe /S` puts the program in Program Files (Program Files (x86) for the x86 build),
#     with a Start-menu entry and an Add/Remove Programs entry, and does not start it with Windows;
#   - the installed program starts from there and watches the stand-in host's demo in test mode,
#     and, as the Start-menu entry starts it (--host), the demo with its own built-in host,
#     keeping its settings in the user's %APPDATA%\Sirenwatch and the day's log in
#     %LOCALAPPDATA%\Sirenwatch, as only administrators may write under Program Files;
#   - `uninstall.exe /S` removes the program, both entries, the uninstaller and the folder, and
#     leaves the user's settings and logs;
#   - installed again with /AUTOSTART, it starts with Windows, and uninstalling takes that away.
# (Unpacked elsewhere, the program keeps both beside itself: wine_e2e.sh checks that.)
# Usage: tests/windows/wine_installer.sh WINDOWS_BUILD_DIR
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
windows_build="$(cd "$1" && pwd)"
work="$(mktemp -d /tmp/sirenwatch-wine-installer.XXXXXX)"

source "$(dirname "$0")/wine_common.sh"

setup=$(find "$windows_build" -maxdepth 1 -name 'Sirenwatch-*-windows-*-setup.exe' | head -n 1)
if [ -z "$setup" ]; then
  echo "FAIL: no installer in $windows_build (build the target package_installer)"
  exit 1
fi
# The x64 installer writes the 64-bit registry view, the x86 one the 32-bit view.
case "$setup" in
  *-x64-setup.exe) program_files="Program Files" view=64 ;;
  *) program_files="Program Files (x86)" view=32 ;;
esac
app_dir="$WINEPREFIX/drive_c/$program_files/Sirenwatch"
start_menu_entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sirenwatch.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sirenwatch'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
program_files_list=(Sirenwatch.exe lowtemp.wav demo.tnc2 basemap.txt dashboard/index.html Sirenwatch.chm
                    LEGGIMI.txt README.txt LICENSE
                    uninstall.exe)

boot_prefix
wineserver -p  # one server for every start below
# A folder of the user's by its variable's name (APPDATA), as a Linux path.
user_folder() { wine winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')" | tr -d '\r'; }
settings_dir="$(user_folder APPDATA)/Sirenwatch"
log_dir="$(user_folder LOCALAPPDATA)/Sirenwatch"

# registry_value KEY NAME: the value's data, or nothing (and failure) when it is not there.
registry_value() {
  wine reg query "$1" /v "$2" "/reg:$view" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^[^ ]+ +[^ ]+ +/, ""); print; found = 1 } END { exit !found }'
}
no_registry_value() { ! registry_value "$1" "$2" >/dev/null; }
all_installed() {
  local file
  for file in "${program_files_list[@]}"; do [ -f "$app_dir/$file" ] || return 1; done
}
none_left() {
  local file
  for file in "${program_files_list[@]}"; do [ ! -e "$app_dir/$file" ] || return 1; done
}
uninstaller_listed() {
  registry_value "$uninstall_key" UninstallString | grep -qF 'Sirenwatch\uninstall.exe'
}
starts_with_windows() {
  registry_value "$run_key" Sirenwatch | grep -qF "\\$program_files\\Sirenwatch\\Sirenwatch.exe\" --host"
}
day_logs() { find "$log_dir" -maxdepth 1 -name '*.log' 2>/dev/null | grep -q .; }
saved() { tr -d '\r' <"$settings_dir/Sirenwatch.ini" | grep -q "$1"; }
nothing_beside() { [ -z "$(find "$app_dir" -maxdepth 1 \( -name '*.ini' -o -name '*.log' \))" ]; }
install() {
  local status=0
  wine "$setup" /S "$@" || status=$?
  expect "$(basename "$setup")${*:+ $*} installs silently (exit $status)" test "$status" -eq 0
}
# The uninstaller copies itself away and runs from there: its work ends after the command.
uninstall() {
  wine "$app_dir/uninstall.exe" /S || true
  eventually "uninstall.exe /S removes every file of the program" none_left
}

# ---- installed without the start with Windows
install
expect "the program is in C:\\$program_files\\Sirenwatch" all_installed
expect "the Start menu's entry starts the installed program" \
  grep -aqF "C:\\$program_files\\Sirenwatch\\Sirenwatch.exe" "$start_menu_entry"
expect "Add/Remove Programs lists it with its uninstaller" uninstaller_listed
expect "it does not start with Windows unless asked" no_registry_value "$run_key" Sirenwatch
status=0
version=$(wine "$app_dir/Sirenwatch.exe" --version | tr -d '\r') || status=$?
expect "the installed program answers (exit $status: $version)" \
  test "$version" = "Sirenwatch $(sed -n 's/^project(Sirenwatch VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")"

# The installed program watches the demo in test mode: its settings and the day's log of the
# frames it handled go to the user's folders.
host_dir="$work/host"
calls="$work/calls.log"
mkdir -p "$host_dir"
cp "$windows_build/tests/windows/standin_host.exe" "$host_dir/"
register
mkdir -p "$settings_dir"
printf '[SetUp]\r\nVersion=1.11\r\nLanguage=2\r\nTest=1\r\n' >"$settings_dir/Sirenwatch.ini"
status=0
wine "$app_dir/Sirenwatch.exe" --headless >"$work/run.out" 2>"$work/run.err" || status=$?
expect "the installed program watches the demo to the host's closing (exit $status)" test "$status" -eq 0
expect "it reports the demo's emergencies" grep -q '^EMERGENCY' "$work/run.out"
expect "it saved its settings in the user's %APPDATA%\\Sirenwatch" saved '^Left='
expect "it wrote the day's log of test mode in the user's %LOCALAPPDATA%\\Sirenwatch" day_logs
expect "it wrote nothing beside itself" nothing_beside

# What the Start-menu entry starts: the built-in host with the feed in its settings, on the first
# run the demo it ships (here at once, without pacing), its own settings in the user's folder.
status=0
wine "$app_dir/Sirenwatch.exe" --host --headless --fast >"$work/host.out" 2>"$work/host.err" ||
  status=$?
expect "--host watches the installed demo to its end (exit $status)" test "$status" -eq 0
expect "--host reports the demo's emergencies" grep -q $'^EMERGENCY\tQ7MOB-9' "$work/host.out"
expect "--host keeps the host's settings in the user's %APPDATA%\\Sirenwatch" \
  test -f "$settings_dir/host/Uiview32.INI"
expect "--host wrote nothing beside itself" nothing_beside
expect "--host offers a Windows serial port for a TNC" \
  grep -q '^SerialDevice=COM1' <(tr -d '\r' <"$settings_dir/host/Uiview32.INI")
[ "$status" -eq 0 ] || tr -d '\r' <"$work/host.err"
cp "$settings_dir/Sirenwatch.ini" "$work/settings.ini"

uninstall
expect "the program's folder is gone" test ! -e "$app_dir"
expect "the user's settings stay, as they were" cmp -s "$work/settings.ini" "$settings_dir/Sirenwatch.ini"
expect "the user's day log stays" day_logs
expect "the Start-menu entry is gone" test ! -e "$start_menu_entry"
expect "the Add/Remove Programs entry is gone" no_registry_value "$uninstall_key" UninstallString

# ---- installed again, starting with Windows
install /AUTOSTART
expect "/AUTOSTART starts the installed program with Windows" starts_with_windows
uninstall
expect "the start with Windows is gone" no_registry_value "$run_key" Sirenwatch
expect "the user's settings still stay" cmp -s "$work/settings.ini" "$settings_dir/Sirenwatch.ini"

finish_checks installer
