#!/usr/bin/env bash
# Sirenwatch's Win32 windows under Wine on Xvfb, beside the stand-in host playing the demo:
# the window tree as designed, driven the way a person would (menus, buttons, a double-click
# on a row and its question), each step checked in Sirenwatch.ini and the host's call log;
# the built-in host's map window painted from the scene the Linux window paints, and its
# incident list driven through one action;
# and pictures of every window, written as PNG to OUT_DIR.
# Usage: tests/windows/wine_windows.sh WINDOWS_BUILD_DIR OUT_DIR
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
windows_build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
work="$(mktemp -d /tmp/sirenwatch-wine-windows.XXXXXX)"

source "$(dirname "$0")/wine_common.sh"

drive() { wine "$windows_build/tests/windows/drive.exe" "$@"; }
shot() {  # shot FORM NAME: the form's window as OUT_DIR/NAME.png
  local place
  place="$(drive place "$1" | tr -d '\r')" && import -window root -crop "$place" +repage "$out/$2.png"
}

# ---- a display, and a fresh prefix whose programs share one desktop with title bars
for tool in Xvfb import compare wine wineserver; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
on_finish+=("kill $!")
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
boot_prefix
# Debian's Wine does not find its own fonts by itself.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# One desktop for every program, as Windows has, drawn with title bars.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1000x700 /f >/dev/null
wineserver -k && wineserver -w
wineserver -p

install_programs
register --interval-ms 100 --close-after-ms 600000 --window 1
# In Italian, metric, the window at the desktop's top left corner.
printf '[SetUp]\r\nVersion=1.11\r\nCircleColor=255\r\nCircleWidth=5\r\nFillType=7\r\nFillColor=16777215\r\nUnit=1\r\nLanguage=1\r\nLeft=150\r\nTop=150\r\n' \
  >"$app_dir/Sirenwatch.ini"

wine "$app_dir/Sirenwatch.exe" >"$work/sirenwatch.out" 2>&1 &
sirenwatch=$!
# Every frame of the demo played and handled.
all_played() { [ -f "$calls" ] && test "$(grep -c '^raise DataAvailable' "$calls")" -ge 26; }
for _ in $(seq 150); do all_played && break; sleep 0.2; done
drive wait TxtNominativo "Q7MOB-9" && drive wait TxtAltezza "158"

# The desktop: Sirenwatch beside the stand-in host's window.
import -window root -crop 1000x560+0+0 "$out/desktop.png"

# ---- the window tree: classes, captions and places in pixels from the twips (96 DPI)
drive tree "$(windows_path "$work/tree.txt")"
cp "$work/tree.txt" "$out/window-tree.txt"
has() { grep -qP "$1" "$work/tree.txt"; }
expect "the main window, its caption with the version" has '^0\tSirenwatchForm\tFrmMain\tSirenwatch  Ver\. 1\.11\t'
expect "the panel frame, captioned in Italian, at (120, 90) twips" \
  has '^1\tButton\tFrame1\tUltima Emergenza Ricevuta\t8 6 361 216\t'
expect "a box inside the frame is placed from the frame" \
  has '^1\tEdit\tTxtNominativo\tQ7MOB-9\t17 39 118 19\tvisible'
expect "the station table at (120, 3375) twips" has '^1\tSirenwatchGrid\tFGridStazioni\t\t8 225 361 105\t'
expect "the acknowledge button" has '^1\tButton\tCmdTacitaAllarme\tTacitazione Allarme\t8 402 103 22\tvisible'
expect "the test button is hidden" has '^1\tButton\tCmdTest\tTest\t.*\thidden'

# ---- pictures: Italian, the alarm blinking, English, the table scrolled
shot FrmMain main-italian
# The alarm turns the fixed cells red and back every two seconds; a picture takes about one.
for n in 1 2 3 4; do shot FrmMain "alarm-$n"; done
same_pictures() { compare -metric AE "$1" "$2" null: >/dev/null 2>&1; }
blinks() {
  for n in 2 3 4; do same_pictures "$out/alarm-1.png" "$out/alarm-$n.png" || return 0; done
  return 1
}
expect "the alarm blinks the table" blinks
drive menu 1 1 2  # SetUp > Lingua > English
drive wait LblNominativo "Callsign"
shot FrmMain main-english
expect "English is stored" stored '^Language=2'
drive scroll FGridStazioni 5 1
shot FrmMain table-scrolled
drive scroll FGridStazioni -5 -1 || true

# ---- units: miles, stored, and the panel follows
drive menu 1 2 2  # SetUp > Unit > Imperial (Miles)
drive wait LblDistanza "Miles"
expect "the imperial unit is stored" stored '^Unit=2'

# ---- the spot set-up dialog: picture, then OK redraws the circles with the stored style
drive menu 1 3  # SetUp > Spot SetUp
shot FrmMarcaPunto spot-setup
redraws_before=$(grep -c '^RedrawMap' "$calls")
drive click "CmdOk(0)"
drive gone FrmMarcaPunto
more_redraws() { test "$(grep -c '^RedrawMap' "$calls")" -gt "$redraws_before"; }
eventually "OK in the spot set-up redraws the map" more_redraws

# ---- the registration dialog: OK writes the registration file with the real executable path
drive menu 1 4  # SetUp > File XTR
shot FrmXTR file-xtr
drive click "CmdOk(0)"
drive gone FrmXTR
expect "the registration file names Sirenwatch.exe" \
  grep -qi 'Sirenwatch.exe' "$host_dir/Sirenwetch.xtr"
# The host, an ANSI program, reads the file in the system's ANSI code page (here 1252).
ansi_path() {
  sed -n 2p "$host_dir/Sirenwetch.xtr" | tr -d '\r' | iconv -f CP1252 -t UTF-8 |
    grep -qF 'Sirenwatch Però\Sirenwatch.exe'
}
expect "the registration file is written in the ANSI code page" ansi_path

# ---- the information box
drive menu 2  # Info
shot FrmInfo info
drive click CmdOk
drive gone FrmInfo

# ---- help: the program goes on whatever the help viewer does
drive menu 3  # ?
sleep 2
expect "Sirenwatch runs on after the help" kill -0 "$sirenwatch"

# ---- acknowledging stops the blinking: pictures less than one blink apart stay the same for
# longer than a blink (a blink between two pictures would tell them apart); pictures taken
# further apart than a blink start the count again, so a loaded machine takes more of them,
# for 60 s at most
drive click CmdTacitaAllarme
table_still() {
  local since taken now until
  shot FrmMain acknowledged-2 || return 1
  since=$(date +%s.%N) taken=$since until=$(($(date +%s) + 60))
  while [ "$(date +%s)" -lt "$until" ]; do
    sleep 0.3
    mv "$out/acknowledged-2.png" "$out/acknowledged-1.png"
    shot FrmMain acknowledged-2 || return 1
    now=$(date +%s.%N)
    if ! same_pictures "$out/acknowledged-1.png" "$out/acknowledged-2.png" ||
      awk -v a="$taken" -v b="$now" 'BEGIN { exit !(b - a >= 1.9) }'; then
      since=$now
    fi
    taken=$now
    awk -v a="$since" -v b="$now" 'BEGIN { exit !(b - a >= 2.5) }' && return 0
  done
  return 1
}
expect "after the acknowledgement the table is still" table_still

# ---- a double-click on a station and its question: OK removes it, and its circle
drive dblclick FGridStazioni 10 24
drive answer Sirenwatch OK
last_circles() { awk '/^RedrawMap/ { n = 0 } /^DrawCircle/ { n++ } END { print n }' "$calls"; }
one_circle() { test "$(last_circles)" -eq 1; }
eventually "after the removal one circle is drawn" one_circle

# ---- closing saves the window's place and ends Sirenwatch
drive close FrmMain
status=0
wait "$sirenwatch" || status=$?
expect "closing the window ends Sirenwatch (exit $status)" test "$status" -eq 0
expect "the circle style is saved on the way out" stored '^CircleColor='
expect "the window's place is saved on the way out" stored '^Left='

# ---- the built-in host's map window: the Linux window's scene, painted with GDI
share_of() {  # share_of PICTURE COLOUR: the share of the picture's pixels in that colour
  convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean]' info:
}
wine "$windows_build/tests/windows/host_map.exe" "$(winepath -w "$source_dir/data/basemap.txt")" \
  "$(winepath -w "$source_dir/data/demo.tnc2")" >"$work/host_map.out" &
map_window=$!
shot HostMap host-map
expect "the emergency's balloon is in the notification area" \
  grep -q 'tray icon shown, balloon shown' "$work/host_map.out"
land=$(share_of "$out/host-map.png" 'rgb(242,239,228)')
expect "the map window shows the land around home ($land)" awk -v s="$land" 'BEGIN { exit !(s > 0.4) }'
band=$(share_of "$out/host-map.png" 'rgb(200,20,20)')
expect "the silent feed's warning band is across the top ($band)" \
  awk -v s="$band" 'BEGIN { exit !(s > 0.03) }'

# ---- the incident list under the map: its picture, then the incident being handled taken over
# with the buttons and the input window, as an operator would
shot IncidentList incident-list
under_the_map() {  # the list's top edge on the map's bottom edge, at its left
  local map list
  map="$(drive place HostMap | tr -d '\r')" list="$(drive place IncidentList | tr -d '\r')"
  awk -v m="$map" -v l="$list" 'BEGIN {
    split(m, a, /[x+]/); split(l, b, /[x+]/); exit !(b[3] == a[3] && b[4] == a[2] + a[4]) }'
}
expect "the incident list sits under the map window" under_the_map
drive click take_over
drive wait AskLabel "Your name"
shot Ask incident-list-ask
drive type AskText "Bruno"
drive click AskOk
drive wait AskLabel "Why you take it over"
drive type AskText "Anna went home"
drive click AskOk
drive wait operator "Operator: Bruno"
expect "the list hands the take-over to the source with the name and the note" \
  grep -q 'action take_over on 2 by Bruno: Anna went home' "$work/host_map.out"
drive wait detail "Bruno: Anna went home"
shot IncidentList incident-list-taken-over
drive close HostMap
status=0
wait "$map_window" || status=$?
expect "closing the map window ends it (exit $status)" test "$status" -eq 0

finish_checks "Windows window"
echo "Pictures in $out"
