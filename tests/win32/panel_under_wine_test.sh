#!/usr/bin/env bash
# Drives the real lumo-hw.exe under wine as a technician does: on a virtual X display with the
# openbox window manager, xdotool presses its keys and clicks its buttons, and lumo-sim.exe
# behind a TCP converter line answers as the devices do. What happened is read back from the
# simulator's wire log and from the installation's files (lumo-ctl.exe list).
#   tests/win32/panel_under_wine_test.sh BUILD_DIR [SCREENSHOT_DIR]
# With SCREENSHOT_DIR, every window met on the way is saved there as a PNG.
set -euo pipefail
build=$(cd "$1" && pwd)
shots=${2:-}
[ -z "$shots" ] || mkdir -p "$shots"
export WINEPREFIX=${WINEPREFIX:-$build/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
cleanup() {
  [ -n "${panel_pid:-}" ] && kill "$panel_pid" 2>/dev/null
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -n "$shots" ] || shots=$work
  command -v import >/dev/null && import -display "$DISPLAY" -window root "$work/failure.png" 2>/dev/null &&
    echo "the screen at the failure: $work/failure.png (kept)" && trap - EXIT
  exit 1
}
step() { echo "-- $*"; }

. "$(dirname "$0")/x_display.sh"
# Clicks a point given in dialog units of a dialog template $2 x $3 units large.
click_units() {
  local id=$1 w=$2 h=$3 x=$4 y=$5 geometry width height
  geometry=$(xdotool getwindowgeometry --shell "$id")
  width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool mousemove --window "$id" $((x * width / w)) $((y * height / h)) click 1
}
shot() {
  [ -n "$shots" ] && command -v import >/dev/null || return 0
  sleep 0.5
  import -display "$DISPLAY" -window root "$shots/$1.png"
}
# Waits up to $2 seconds for the simulator's log to hold a line matching $1.
logged() {
  local deadline=$((SECONDS + ${2:-20}))
  while [ $SECONDS -lt $deadline ]; do
    grep -q -- "$1" "$work/wire.log" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}
# Waits until the wire has been quiet for a second (an operation on the line has ended).
settled() {
  local size=-1 now
  for _ in $(seq 100); do
    now=$(stat -c %s "$work/wire.log" 2>/dev/null || echo 0)
    [ "$now" = "$size" ] && return 0
    size=$now
    sleep 1
  done
}
ctl() { wine "$build/lumo-ctl.exe" -C "$(winepath -w "$work/panel")" "$@" 2>/dev/null | tr -d '\r'; }

# A wine server left from an earlier run (the installer's test, say) has its desktop on no display
# or another one: this test's windows would not show on its own. A fresh server takes this display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineboot --init >/dev/null 2>&1 || true
step "the simulator: a TCP converter with a TQ300 terminal at ID 5 and a ZB20 at ID 8 (its loader slow)"
wine "$build/lumo-sim.exe" --tcp 0 --module "tcp 5 4" --module "tcp 8 9 lslow=60" --log "$(winepath -w "$work/wire.log")" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q ready "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(grep -o '127.0.0.1:[0-9]*' "$work/sim.out" | cut -d: -f2)
[ -n "$port" ] || fail "the simulator did not start: $(cat "$work/sim.out")"

step "first start: the configuration is asked for, saved, and the main window opens"
mkdir -p "$work/panel"
wine "$build/lumo-hw.exe" -C "$(winepath -w "$work/panel")" >"$work/panel.log" 2>&1 &
panel_pid=$!
config=$(window "Konfigurace parametrů programu" 60) || fail "no configuration dialog at the first start"
shot config
keys "$config" Return
question=$(window "Nastavení" 10) || fail "no question about the missing network adapter"
shot config-no-adapter
keys "$question" Return
main=$(window "Ovládací panel systému LUMO-line" 20) || fail "no main window after the configuration"
[ -s "$work/panel/config.dat" ] || fail "config.dat was not written"
shot main-window

step "a TCP line and its module"
keys "$main" alt+s l
add=$(window "Přidání zařízení" 10) || fail "Přidat linku opened no dialog"
keys "$add" Down  # the second head type: the TCP converter
shot add-line
keys "$add" Return  # "Vložit"
gone "Přidání zařízení" 10 || fail "Vložit did not close the add-line dialog"
for _ in $(seq 50); do ctl list | grep -q "^1[[:space:]].*WI485" && break; sleep 0.2; done
ctl list | grep -q "^1[[:space:]].*WI485" || fail "no TCP converter line was made: $(ctl list)"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 150 250 click 1
keys "$main" Home alt+n v
tcp=$(window "Komunikační linka TCP" 10) || fail "Vlastnosti of the line opened no TCP line dialog"
keys "$tcp" Tab End shift+Home
xdotool type --delay 40 "127.0.0.1"
keys "$tcp" Tab End shift+Home
xdotool type --delay 40 "$port"
shot tcp-line
keys "$tcp" Return  # "Uložit"
gone "Komunikační linka TCP" 10 || fail "Uložit did not close the TCP line dialog"
ctl list | grep -q "^1[[:space:]]" || fail "the line is gone"
settled  # the line's check after saving
keys "$main" Home alt+s m
add=$(window "Přidání zařízení" 10) || fail "Přidat modul opened no dialog"
keys "$add" Down Down Down  # TQ300
keys "$add" Tab End shift+Home  # the description only shows: ID is next
xdotool type --delay 40 "5"
shot add-module
keys "$add" Return
gone "Přidání zařízení" 20 || fail "Vložit did not close the add-module dialog"
for _ in $(seq 50); do ctl list | grep -q "^1/1.*TQ300.*05" && break; sleep 0.2; done
ctl list | grep -q "^1/1.*TQ300.*05" || fail "no TQ300 module at ID 5: $(ctl list)"
settled
shot main-window-installation

step "the device check: CAL on the wire, the module answers, its report in the pane"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 150 250 click 1  # into the tree, below its items
keys "$main" Home Down                               # the module under the line
keys "$main" alt+n k
logged "module 5 CAL" 20 || fail "the check sent no CAL to module 5"
for _ in $(seq 50); do ctl list | grep -q "^1/1.*0x00$" && break; sleep 0.2; done
ctl list | grep -q "^1/1.*TQ300.*05.*0x00$" || fail "the module is not marked as answering: $(ctl list)"
shot device-check

step "the property sheet: read, changed, applied, read again"
keys "$main" alt+n v
sheet=$(window "TQ300 - ID 5" 10) || fail "the property sheet did not open"
click_units "$sheet" 273 247 129 233  # "Obnova"
logged "module 5 INF" 20 || fail "Obnova read nothing from the device"
settled
shot property-sheet-general
click_units "$sheet" 273 247 20 13  # the first tab, then the next one: "Parametry"
keys "$sheet" Right
sleep 0.5
keys "$sheet" Tab End shift+Home
xdotool type --delay 60 "WINE 1"
keys "$sheet" Return  # "Použít", the default button
logged "parameters text 'WINE 1'" 30 || fail "Použít did not write the display text"
settled
shot property-sheet-parameters
before=$(grep -c "module 5 INF" "$work/wire.log")
click_units "$sheet" 273 247 129 233  # "Obnova" again
for _ in $(seq 100); do [ "$(grep -c "module 5 INF" "$work/wire.log")" -gt "$before" ] && break; sleep 0.2; done
[ "$(grep -c "module 5 INF" "$work/wire.log")" -gt "$before" ] || fail "the second Obnova read nothing"
keys "$sheet" Escape
gone "TQ300 - ID 5" 10 || fail "Zavřít after an applied change did not close the sheet"

step "a double click on the line opens its dialog; saving it keeps the line unfolded"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 62 63 click --repeat 2 --delay 60 1  # the line's item
tcp=$(window "Komunikační linka TCP" 10) || fail "a double click on the line opened no line dialog"
keys "$tcp" Return  # "Uložit"
gone "Komunikační linka TCP" 10 || fail "Uložit did not close the TCP line dialog"
settled
# With the line unfolded the module lies under it: its Vlastnosti is the property sheet.
xdotool mousemove --window "$main" 150 250 click 1
keys "$main" Home Down alt+n v
sheet=$(window "TQ300 - ID 5" 10) || fail "the line was folded by the double click or the save"
keys "$sheet" Escape
gone "TQ300 - ID 5" 10 || fail "the property sheet did not close"

step "the clock: Nastavení času sets the module's clock to the PC's"
keys "$main" alt+d t
clock=$(window "Nastavení času" 10) || fail "Datum a čas opened no dialog"
sleep 1.5  # the system row ticks
shot clock
keys "$clock" Return  # "Nastavit": the PC's date, time and weekday go to the module, the dialog closes
logged "module 5 clock D$(date +%d.%m.%y)+T" 20 || fail "Nastavit did not set the module's clock to today"
gone "Nastavení času" 10 || fail "the clock dialog did not close after Nastavit"
settled
shot clock-set

step "a second module, the ZB20 at ID 8"
keys "$main" Home alt+s m
add=$(window "Přidání zařízení" 10) || fail "Přidat modul opened no dialog"
keys "$add" Down Down Down Down Down Down Down Down  # ZB20
keys "$add" Tab End shift+Home
xdotool type --delay 40 "8"
keys "$add" Return
gone "Přidání zařízení" 20 || fail "Vložit did not close the add-module dialog"
for _ in $(seq 50); do ctl list | grep -q "^1/2.*ZB20.*08" && break; sleep 0.2; done
ctl list | grep -q "^1/2.*ZB20.*08" || fail "no ZB20 module at ID 8: $(ctl list)"
settled

# Download: the image chosen in the system's file dialog, the warning passed with "Pokračovat".
head -c 32768 /dev/urandom >"$work/image.bin"
start_download() {
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  xdotool mousemove --window "$main" 150 250 click 1
  keys "$main" End alt+n w  # the last module, Download
  local open warning
  open=$(window "(Open|Otevřít)" 10) || fail "Download opened no file dialog"
  keys "$open" ctrl+a
  xdotool type --delay 30 "$(winepath -w "$work/image.bin")"
  keys "$open" Return
  warning=$(window "Download" 10) || fail "no warning before the download"
  shot download-warning
  keys "$warning" Return  # "Pokračovat"
  logged "module 8 restarts into its loader" 20 || fail "the ZB20 was not restarted into its loader"
}
# The bytes the simulator has taken from the panel so far (one log line each).
loader_messages() { grep -c " rx " "$work/wire.log" || true; }

step "a firmware download with its progress, stopped with Přerušit aktivní příkaz"
start_download
loaded=$(loader_messages)
for _ in $(seq 100); do [ "$(loader_messages)" -gt $((loaded + 2000)) ] && break; sleep 0.2; done
[ "$(loader_messages)" -gt $((loaded + 2000)) ] || fail "the loader got no image data"
shot download-progress
keys "$main" Escape
xdotool mousemove --window "$main" 170 30 click 1  # the toolbar's stop button
settled
stopped=$(loader_messages)
sleep 2
[ "$(loader_messages)" = "$stopped" ] || fail "the download went on after the stop"
grep -q "loader: segment checksums right" "$work/wire.log" && fail "the stopped download ran to its end"

step "closing during a download: the question, then the end of the process within a second"
start_download
for _ in $(seq 100); do [ "$(loader_messages)" -gt $((stopped + 2000)) ] && break; sleep 0.2; done
keys "$main" ctrl+q
question=$(window "Proces na pozadí" 10) || fail "closing during the download asked nothing"
shot close-during-job
keys "$question" Return  # "Ano"
t0=$(date +%s%N)
for _ in $(seq 50); do kill -0 "$panel_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$panel_pid" 2>/dev/null && fail "lumo-hw.exe still runs 2.5 s after the question was answered"
elapsed=$((($(date +%s%N) - t0) / 1000000))
[ "$elapsed" -le 1000 ] || fail "lumo-hw.exe took $elapsed ms to end after the question"
wait "$panel_pid" || fail "lumo-hw.exe ended with status $? after closing during the download"
echo "   ended $elapsed ms after the answer"

step "started again, closed with no job: no question, the process ends"
wine "$build/lumo-hw.exe" -C "$(winepath -w "$work/panel")" >>"$work/panel.log" 2>&1 &
panel_pid=$!
main=$(window "Ovládací panel systému LUMO-line" 30) || fail "no main window at the second start"
settled
step "closing the program: no question without a job, the process ends"
keys "$main" ctrl+q
for _ in $(seq 50); do kill -0 "$panel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$panel_pid" 2>/dev/null && fail "lumo-hw.exe did not end after Ctrl+Q"
wait "$panel_pid" || fail "lumo-hw.exe ended with status $?"
panel_pid=
grep -qi "unhandled\|exception\|crash" "$work/panel.log" && fail "wine reported: $(cat "$work/panel.log")"
echo "the panel under wine: first start, a line and modules added, device check, property sheet, clock, download stopped, closing during a job and at rest"
