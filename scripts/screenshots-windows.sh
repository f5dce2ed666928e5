#!/usr/bin/env bash
# Pictures of lumo-hw.exe, the Win32 panel, under wine: the main window and every dialog with
# its Czech texts, each PNG cut to the window shown (frame and title included).
#   scripts/screenshots-windows.sh [OUT_DIR]        (default docs/windows)
# The panel runs on a virtual X display with the openbox window manager; xdotool opens the
# dialogs by the menu's keys and the buttons' places. lumo-sim.exe behind a TCP converter line
# answers as a TQ300, a LOQ3, a ZB40 and a ZB20 do, and lumo-ctl.exe makes the installation: the
# TCP line with those four modules and a COM line. A network device server answers the TCP
# search: the Linux simulator build/lumo-sim (LUMO_SIM=PATH names another) where it is built,
# else lumo-sim.exe (under wine its answer comes from 127.0.0.1, not from its own address).
# The Windows build is made in build-windows/ (BUILD_DIR=... names another) when it is missing.
set -Eeuo pipefail
trap 'echo "screenshots-windows: line $LINENO failed: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-docs/windows}
mkdir -p "$out"
out=$(cd "$out" && pwd)
build=${BUILD_DIR:-$root/build-windows}
if [ ! -x "$build/lumo-hw.exe" ] || [ ! -x "$build/lumo-sim.exe" ] || [ ! -x "$build/lumo-ctl.exe" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
  cmake --build "$build" --target lumo-hw lumo-sim lumo-ctl
fi
build=$(cd "$build" && pwd)
export WINEPREFIX=${WINEPREFIX:-$build/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for tool in Xvfb openbox xdotool xwininfo xprop import wine; do
  command -v "$tool" >/dev/null || { echo "screenshots-windows: $tool is not installed"; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  for pid in ${panel_pid:-} ${sim_pid:-} ${server_pid:-}; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  for pid in ${wm_pid:-} ${xvfb_pid:-}; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "screenshots-windows: $*"
  import -display "$DISPLAY" -window root "$out/failure.png" 2>/dev/null && echo "the screen then: $out/failure.png"
  exit 1
}

. tests/win32/x_display.sh
# The size of window $1's client area: "WIDTH HEIGHT".
client_size() {
  local info
  info=$(xwininfo -id "$1")
  echo "$(sed -n 's/^ *Width: *//p' <<<"$info") $(sed -n 's/^ *Height: *//p' <<<"$info")"
}
# Clicks a point given in dialog units of a dialog template $2 x $3 units large.
click_units() {
  local id=$1 w=$2 h=$3 x=$4 y=$5 width height
  read -r width height < <(client_size "$id")
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool mousemove --window "$id" $((x * width / w)) $((y * height / h)) click 1
}
# Clicks a point of a property sheet's page given in dialog units (the page sits at 14, 53
# pixels inside the frame, its units the frame's).
click_page_units() {
  local id=$1 x=$2 y=$3 width height
  read -r width height < <(client_size "$id")
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool mousemove --window "$id" $((14 + x * width / 273)) $((53 + y * height / 247)) click 1
}
# Window $1 with the window manager's frame: "X Y WIDTH HEIGHT" on the screen.
frame() {
  local info x y w h l=0 r=0 t=0 b=0
  info=$(xwininfo -id "$1")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/^ *Width: *//p' <<<"$info")
  h=$(sed -n 's/^ *Height: *//p' <<<"$info")
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',' ; echo "0 0 0 0") || true
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}
# Saves window $2 with its frame as $1.png once its picture has stopped changing (at most 4 s).
shot() {
  local name=$1 id=$2 x y w h before="" now
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  for _ in $(seq 8); do
    sleep 0.5
    read -r x y w h < <(frame "$id")
    now=$(import -window root -crop "${w}x${h}+${x}+${y}" rgb:- 2>/dev/null | md5sum)
    [ "$now" = "$before" ] && break
    before=$now
  done
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
  echo "   $name.png"
}
# Closes the window titled $1 with the key $2 (Escape: the dialog's "Zavřít").
dismiss() {
  local id
  for _ in 1 2 3 4; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1) || return 0
    [ -n "$id" ] || return 0
    keys "$id" "${2:-Escape}"
    gone "$1" 3 && return 0
  done
  fail "the window \"$1\" does not close"
}
# Selects the tree's item $1 (0: the first line, then its modules, then the next line).
select_item() {
  local extra
  extra=$(xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "$main" | head -1) || true
  [ -z "$extra" ] || fail "a window is left open: $(xdotool getwindowname "$extra")"
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  xdotool mousemove --window "$main" 150 250 click 1  # into the tree, below its items
  sleep 0.2
  keys "$main" Home
  local n
  for ((n = 0; n < $1; n++)); do xdotool key Down; sleep 0.1; done
  sleep 0.5
}
# Opens the dialog titled $2 with the keys $3... on the tree's item $1; prints its id.
open_dialog() {
  local item=$1 title=$2
  shift 2
  select_item "$item"
  keys "$main" "$@"
  window "$title" 15 || fail "$* opened no \"$title\""
}
# Waits until the wire has been quiet for a second (an operation on the line has ended).
settled() {
  local size=-1 now
  for _ in $(seq 60); do
    now=$(stat -c %s "$work/wire.log" 2>/dev/null || echo 0)
    [ "$now" = "$size" ] && return 0
    size=$now
    sleep 1
  done
}
# The property sheet: page $2 shown (0: "Obecné"); the tab control has the focus.
sheet_page() {
  click_units "$1" 273 247 20 13  # the first tab
  sleep 0.3
  keys "$1" Left Left Left Left Left Left
  local p
  for ((p = 0; p < $2; p++)); do xdotool key Right; sleep 0.2; done
  sleep 0.3
}
# Closes the sheet titled $1 with "Zavřít"; a question about a change is answered "Ne".
close_sheet() {
  local id question
  for _ in 1 2 3; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1) || return 0
    [ -n "$id" ] || return 0
    click_units "$id" 273 247 241 233
    if question=$(window "Změna nastavení" 2); then keys "$question" n; fi
    gone "$1" 3 && return 0
  done
  fail "the sheet \"$1\" does not close"
}
ctl() { wine "$build/lumo-ctl.exe" -C "$(winepath -w "$work/panel")" "$@" 2>/dev/null | tr -d '\r'; }

wineboot --init >/dev/null 2>&1 || true
echo "-- the simulator: a TCP converter with a TQ300 (ID 5), a LOQ3 (ID 3), a ZB40 (ID 8), a ZB20 (ID 9)"
wine "$build/lumo-sim.exe" --tcp 0 --module "tcp 5 4 text=LUMO" --module "tcp 3 3" --module "tcp 8 8" --module "tcp 9 9" \
  --log "$(winepath -w "$work/wire.log")" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 150); do grep -q ready "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(grep -o '127.0.0.1:[0-9]*' "$work/sim.out" | cut -d: -f2)
[ -n "$port" ] || fail "the simulator did not start: $(cat "$work/sim.out")"
servers=(--device-server 127.0.0.49/11/441560110049/00-4F-49-0D-00-49 --device-server 127.0.0.50/11/441560110050/00-4F-49-0D-00-50)
native=${LUMO_SIM:-$root/build/lumo-sim}
if [ -x "$native" ]; then
  "$native" "${servers[@]}" --log "$work/servers.log" >"$work/servers.out" 2>&1 &
else
  wine "$build/lumo-sim.exe" "${servers[@]}" --log "$(winepath -w "$work/servers.log")" >"$work/servers.out" 2>&1 &
fi
server_pid=$!

echo "-- the installation: the TCP line and its modules, a COM line, the register of serial numbers"
mkdir -p "$work/panel/register"
ctl config set --adapter 127.0.0.1 >/dev/null
[ "$(ctl line add tcp)" = 1 ] || fail "lumo-ctl.exe line add tcp made no line 1"
ctl line set 1 --ip 127.0.0.1 --tcp-port "$port" --name "Vrátnice TCP" >/dev/null
for module in "4 5" "3 3" "8 8" "9 9"; do
  set -- $module
  ctl module add 1 --type "$1" --id "$2" >/dev/null || fail "lumo-ctl.exe module add 1 --type $1 --id $2 failed"
done
[ "$(ctl line add general)" = 2 ] || fail "lumo-ctl.exe line add general made no line 2"
ctl line set 2 --port COM1 --name "Sklad COM1" >/dev/null
: >"$work/panel/register/sernum.txt"
: >"$work/panel/register/sernum_tesk.txt"
printf '%s' "$(winepath -w "$work/panel/register")" >"$work/panel/sn.dat"
for sequence in 1 2 3; do
  ctl register add "$(ctl serial encode "0$sequence.02.2026" 4 "$sequence")" --note "terminál vrátnice $sequence" --medium 1 >/dev/null
done
[ "$(ctl list | wc -l)" = 6 ] || fail "the installation is not complete: $(ctl list)"

echo "-- the main window"
wine "$build/lumo-hw.exe" -C "$(winepath -w "$work/panel")" >"$work/panel.log" 2>&1 &
panel_pid=$!
main=$(window "Ovládací panel systému LUMO-line" 60) || fail "no main window"
settled  # the check of the lines at the start
select_item 1
shot main-window "$main"

echo "-- Služby"
dialog=$(open_dialog 0 "Konfigurace parametrů programu" alt+s n)
shot config "$dialog"
dismiss "Konfigurace parametrů programu"
dialog=$(open_dialog 0 "Přidání zařízení" alt+s l)
shot add-device-line "$dialog"
dismiss "Přidání zařízení"
dialog=$(open_dialog 1 "Přidání zařízení" alt+s m)
shot add-device-module "$dialog"
dismiss "Přidání zařízení"
dialog=$(open_dialog 0 "Vyhledání TCP zařízení" alt+s t)
keys "$dialog" Return  # "Spustit hledání"
for _ in $(seq 50); do grep -q "service datagram" "$work/servers.log" 2>/dev/null && break; sleep 0.2; done
sleep 14  # the search ends after ten seconds without an answer
shot tcp-search "$dialog"
dismiss "Vyhledání TCP zařízení"
dialog=$(open_dialog 0 "Vyhledání USB zařízení" alt+s u)
shot usb-search "$dialog"
keys "$dialog" Return  # "Spustit hledání": no bridge here, a box says so
box=$(window "Vyhledání USB zařízení" 15 "$dialog") || fail "the USB search said nothing"
shot usb-search-none "$box"
keys "$box" Return
sleep 0.5
dismiss "Vyhledání USB zařízení"

echo "-- Nástroje"
dialog=$(open_dialog 0 "Komunikační linka TCP" alt+n v)
shot line-tcp "$dialog"
dismiss "Komunikační linka TCP"
dialog=$(open_dialog 5 "Komunikační linka" alt+n v)
shot line-com "$dialog"
dismiss "Komunikační linka"
dialog=$(open_dialog 1 "Typ zařízení" alt+n t)
shot change-type "$dialog"
dismiss "Typ zařízení"
dialog=$(open_dialog 1 "ID adresa" alt+n i)
shot change-id "$dialog"
dismiss "ID adresa"
head -c 32768 /dev/urandom >"$work/image.bin"
dialog=$(open_dialog 4 "(Open|Otevřít)" alt+n w)
keys "$dialog" ctrl+a
xdotool type --delay 30 "$(winepath -w "$work/image.bin")"
keys "$dialog" Return
dialog=$(window "Download" 15) || fail "no warning before the download"
shot download-warning "$dialog"
dismiss "Download"  # "Návrat": nothing is sent
settled

echo "-- Nástroje > Servis (the fifth item)"
dialog=$(open_dialog 1 "Inicializace modulu" alt+n Down Down Down Down Right n)
shot init "$dialog"
click_units "$dialog" 330 210 290 78  # "Výběr >>"
register=$(window "Vydaná výrobní čísla" 15) || fail "Výběr >> opened no register"
shot register "$register"
dismiss "Vydaná výrobní čísla"
dismiss "Inicializace modulu"
dialog=$(open_dialog 1 "Upload segment" alt+n Down Down Down Down Right u)
shot upload "$dialog"
dismiss "Upload segment"
dialog=$(open_dialog 1 "Testování komunikace" alt+n Down Down Down Down Right t)
keys "$dialog" Return  # "Start"
sleep 4
keys "$dialog" Return  # "Stop"
settled
shot communication-test "$dialog"
dismiss "Testování komunikace"
dialog=$(open_dialog 1 "Dekodóvání výrobního čísla" alt+n Down Down Down Down Right Up Return)  # "Rozklad VC", the last
keys "$dialog" ctrl+a
xdotool type --delay 40 "$(ctl serial encode 01.02.2026 4 1)"
click_units "$dialog" 222 166 203 24  # ">>"
shot serial-decode "$dialog"
dismiss "Dekodóvání výrobního čísla"

echo "-- Přenos dat"
dialog=$(open_dialog 1 "Nastavení času" alt+d t)
shot clock "$dialog"
dismiss "Nastavení času"
dialog=$(open_dialog 1 "Nastavení počítadel" alt+d p)
settled
shot counters "$dialog"
dismiss "Nastavení počítadel"
dialog=$(open_dialog 1 "Odeslat příkaz" alt+d o)
keys "$dialog" ctrl+a
xdotool type --delay 40 "INF 7"
click_units "$dialog" 308 215 276 25  # the first "Odeslat"
settled
shot console "$dialog"
dismiss "Odeslat příkaz"
dialog=$(open_dialog 1 "Odeslaní dat" alt+d Up Return)  # "Přenos souboru", the last
shot transfer "$dialog"
dismiss "Odeslaní dat"

echo "-- Nápověda"
dialog=$(open_dialog 0 "About Lumo_hw" alt+p a)
shot about "$dialog"
dismiss "About Lumo_hw" Return

echo "-- the property sheets, each page after Obnova"
sheet() {  # sheet ITEM TITLE NAME PAGE...: the sheet's window left in $id
  local item=$1 title=$2 name=$3 p=0
  shift 3
  id=$(open_dialog "$item" "$title" alt+n v)
  click_units "$id" 273 247 129 233  # "Obnova"
  sleep 1
  settled
  for page in "$@"; do
    sheet_page "$id" $p
    shot "property-sheet-$name-$page" "$id"
    p=$((p + 1))
  done
}
sheet 1 "TQ300 - ID 5" tq300 general parameters settings operation
sheet_page "$id" 0
click_page_units "$id" 212 119  # "Přejmenovat"
rename=$(window "Přejmenování" 10) || fail "Přejmenovat opened nothing"
shot rename "$rename"
dismiss "Přejmenování"
sheet_page "$id" 1
keys "$id" Tab  # into the page: the display text
xdotool type --delay 60 "VRATNICE"
click_units "$id" 273 247 241 233  # "Zavřít" after a change: the question
question=$(window "Změna nastavení" 10) || fail "Zavřít after a change asked nothing"
shot message-box "$question"
keys "$question" n  # "Ne": nothing stored
gone "TQ300 - ID 5" 10 || fail "the sheet did not close after Ne"
sheet 2 "LOQ3 - ID 3" loq3 general settings operation
close_sheet "LOQ3 - ID 3"
sheet 3 "ZB40 - ID 8" zb40 general parameters subsystem-1 subsystem-2
close_sheet "ZB40 - ID 8"
sheet 4 "ZB20 - ID 9" zb20 general parameters subsystem-1
close_sheet "ZB20 - ID 9"

echo "-- closing"
keys "$main" ctrl+q
for _ in $(seq 50); do kill -0 "$panel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$panel_pid" 2>/dev/null && fail "lumo-hw.exe did not end after Ctrl+Q"
panel_pid=
echo "the pictures are in $out"
