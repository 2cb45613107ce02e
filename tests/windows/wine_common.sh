# What the Windows checks under Wine share; sourced by wine_e2e.sh and wine_windows.sh after
# they set source_dir, windows_build and work (a fresh folder of their own).
#   boot_prefix          a fresh Wine prefix in $work/prefix (a copy of $SIRENWATCH_WINE_TEMPLATE
#                        when that names a booted one); Wine that cannot start fails the run
#   install_programs     the stand-in host in $host_dir, Sirenwatch in $app_dir (folders named
#                        outside ASCII)
#   register [OPTIONS]   the stand-in registered to play the demo and log to $calls (emptied)
#   expect / eventually  one check; finish_checks LABEL ends the run with its outcome

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A UTF-8 locale, so Wine sees the Linux names of folders outside ASCII as they are.
export LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC

on_finish=()  # more to undo at the end, as commands
finish() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  local undo
  for undo in "${on_finish[@]}"; do eval "$undo" || true; done
  [ -n "${KEEP_WINE_WORK:-}" ] || rm -rf "$work"
}
trap finish EXIT

failures=0
pass() { echo "PASS: $1"; }
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}
expect() {  # expect NAME COMMAND...: passes when the command succeeds
  local name="$1"
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
eventually() {  # eventually NAME COMMAND...: passes when the command succeeds within 10 s
  local name="$1"
  shift
  for _ in $(seq 50); do
    if "$@"; then pass "$name"; return; fi
    sleep 0.2
  done
  fail "$name"
}
finish_checks() {  # finish_checks LABEL: the run's outcome, and its exit status
  if [ "$failures" -ne 0 ]; then
    echo "$failures $1 check(s) failed"
    exit 1
  fi
  echo "All $1 checks passed"
}

windows_path() { echo "Z:${1//\//\\}"; }
# stored PATTERN: Sirenwatch.ini has a line that matches.
stored() { tr -d '\r' <"$app_dir/Sirenwatch.ini" | grep -q "$1"; }

boot_prefix() {
  if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "FAIL: Wine is not installed (Debian packages wine and wine64)"
    exit 1
  fi
  if [ -n "${SIRENWATCH_WINE_TEMPLATE:-}" ] && [ -f "$SIRENWATCH_WINE_TEMPLATE/system.reg" ]; then
    cp -a "$SIRENWATCH_WINE_TEMPLATE" "$WINEPREFIX"
    return
  fi
  if ! wine wineboot -i >"$work/wineboot.log" 2>&1 || ! wineserver -w; then
    echo "FAIL: Wine cannot start a prefix:"
    cat "$work/wineboot.log"
    exit 1
  fi
}

install_programs() {
  # Folders named outside ASCII, as a station program installed in Italian may be: every file
  # of both programs must still be found there.
  host_dir="$work/Programmi/Stazione Però"
  app_dir="$work/Programmi/Sirenwatch Però"
  calls="$work/calls.log"
  mkdir -p "$host_dir" "$app_dir"
  cp "$windows_build/tests/windows/standin_host.exe" "$host_dir/"
  cp "$windows_build/src/app/windows/"{Sirenwatch.exe,lowtemp.wav,Sirenwatch.chm} "$app_dir/"
}

register() {
  rm -f "$calls"
  wine "$host_dir/standin_host.exe" /regserver --capture "$(windows_path "$source_dir/data/demo.tnc2")" \
    --log "$(windows_path "$calls")" "$@"
}
