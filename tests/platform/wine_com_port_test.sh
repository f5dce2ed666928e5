#!/usr/bin/env bash
# lumo-ctl.exe under wine on COM ports: wine's COM7 and COM8 lead (HKLM\Software\Wine\Ports) to
# the serial buses of two native simulators on pseudo-terminals, COM7 a plain RS232 bus, COM8 a
# two-wire RS485 bus that echoes every byte. Lines on both are made, checked and asked, and the
# bytes on the wires compared. A pseudo-terminal has no modem lines: the RS485 line's direction
# control (EscapeCommFunction on DTR) is refused there, and the line works without it. The mapping
# is removed at the end. Run by scripts/test-windows.sh, with WINEPREFIX set.
# usage: wine_com_port_test.sh LUMO_CTL_EXE LUMO_SIM
set -euo pipefail
ctl_exe=$1
sim_exe=$2
: "${WINEPREFIX:?WINEPREFIX must name the wine prefix}"
started=$SECONDS
work=$(mktemp -d)
ports=(COM7 COM8)
sims=()
fail() { echo "FAIL: $*" >&2; exit 1; }

unmap() {
  local port link
  for port in "${ports[@]}"; do
    wine reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f >/dev/null 2>&1 || true
  done
  wineserver -k 2>/dev/null || true
  wineserver -w
  # Wine keeps a port's link in dosdevices after its value is gone: a later COMn would open
  # whatever pseudo-terminal has that number then.
  for port in "${ports[@]}"; do
    link=$WINEPREFIX/dosdevices/${port,,}
    if [[ -L $link && $(readlink "$link") == /dev/pts/* ]]; then rm -f "$link"; fi
  done
}
cleanup() {
  local status=$? pid
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  unmap
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

# start_sim NAME OPTION...: a simulator with its serial bus on a pseudo-terminal, its wire log in
# $work/NAME.log; the terminal's path in $pty.
start_sim() {
  local name=$1 i
  shift
  "$sim_exe" --pty --exit-with-parent --log "$work/$name.log" "$@" >"$work/$name.out" 2>&1 &
  sims+=("$!")
  for ((i = 0; i < 50; i++)); do
    grep -qx ready "$work/$name.out" && break
    sleep 0.1
  done
  pty=$(sed -n 's/^pty //p' "$work/$name.out")
  [[ $pty == /dev/pts/* ]] || fail "the simulator $name has no pseudo-terminal: $(cat "$work/$name.out")"
}

# ctl ARGS...: lumo-ctl.exe in the working directory; its output in $out, its exit status in $status.
ctl() {
  status=0
  out=$(wine "$ctl_exe" -C "Z:$work" "$@" 2>"$work/err") || status=$?
}
# expect ARGS... -- OUTPUT: the command succeeds and prints OUTPUT.
expect() {
  local args=()
  while [[ $1 != -- ]]; do args+=("$1"); shift; done
  ctl "${args[@]}"
  [[ $status == 0 && $out == "$2" ]] ||
    fail "lumo-ctl ${args[*]}: status $status, printed [$out], expected [$2]; stderr: $(cat "$work/err")"
}

# wire NAME rx|tx: what the simulator received or sent since its log was last emptied, printable
# bytes as they are, the others (and the backslash) as \xNN.
wire() {
  awk -v dir="$2" 'BEGIN { for (i = 0; i < 256; i++) value[sprintf("%02x", i)] = i }
    $2 == "serial" && $3 == dir { v = value[$4]; if (v >= 32 && v < 127 && v != 92) printf "%c", v; else printf "\\x%02x", v }' \
    "$work/$1.log"
}
expect_wire() {  # NAME rx|tx BYTES
  local got
  got=$(wire "$1" "$2")
  [[ $got == "$3" ]] || fail "simulator $1 $2: [$got], expected [$3]"
}
empty_logs() { : >"$work/rs232.log"; : >"$work/rs485.log"; }

start_sim rs232 --module "serial 5 4" --module "serial 7 3 silent"
rs232=$pty
start_sim rs485 --echo --module "serial 6 4"
rs485=$pty

wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$rs232" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /t REG_SZ /d "$rs485" /f >/dev/null 2>&1
# The ports are made when the server starts.
wineserver -k 2>/dev/null || true
wineserver -w

# COM1-COM6 name no device (a new line is checked on COM1, which wine may lead to this machine's
# own serial port); COM7 and COM8 keep the system's names, \\.\COM7 and \\.\COM8.
for ((i = 1; i <= 6; i++)); do printf 'COM%d=\\\\.\\LUMO-TEST-NO-PORT-%d\n' "$i" "$i"; done >"$work/comports.cfg"
mkdir "$work/data"
expect config set --data-dir "Z:$work/data" -- ""
# No COM port is opened before both lead to the simulators.
for port in "${ports[@]}"; do
  link=$WINEPREFIX/dosdevices/${port,,}
  want=$rs232
  [[ $port == COM8 ]] && want=$rs485
  for ((i = 0; i < 100; i++)); do
    [[ $(readlink "$link" 2>/dev/null) == "$want" ]] && break
    sleep 0.1
  done
  [[ $(readlink "$link" 2>/dev/null) == "$want" ]] || fail "wine made no $port for $want: $(ls -l "$WINEPREFIX/dosdevices")"
done

# RS232, 9600 Bd, no parity: the port opens and is set up; module 5 answers, 7 keeps silent (every
# read of it ends empty after its time-out).
expect line add general -- 1
expect line set 1 --port COM7 --speed 9600 --name RS232 -- ""
empty_logs
expect module add 1 --type 4 --id 5 -- 1
expect_wire rs232 rx "&ML_05#CAL+&MLEND"
expect_wire rs232 tx '!447157040005V1.23*\xd4'
empty_logs
expect module add 1 --type 3 --id 7 -- 2
expect_wire rs232 rx "&ML_07#CAL+&MLEND"
expect_wire rs232 tx ""
expect line add general -- 2
expect line set 2 --port COM8 --rs485 --name RS485 -- ""
expect module add 2 --type 4 --id 6 -- 1

empty_logs
expect check 1 -- "Zásuvka pro linku 1 pracuje správně"
expect_wire rs232 rx ""
expect check 1/1 -- "Zařízení na adrese 05 pracuje správně"
expect_wire rs232 rx "&ML_05#CAL+&MLEND"
empty_logs
expect clock 1/1 --set "24.12.2026 18:30:05 4" -- ""
grep -q 'note module 5 clock D24.12.26+T18:30:05+W4$' "$work/rs232.log" || fail "module 5's clock was not set: $(cat "$work/rs232.log")"
expect counters 1/1 -- $'C1=3\nC2=2\nC3=0\nC4=100\nC5=0'

# RS485, 19200 Bd: the release goes out and comes back as its echo; module 6's answer follows the
# echo of the request.
empty_logs
expect check 2 -- "Zásuvka pro linku 2 pracuje správně"
expect_wire rs485 rx "&MLEND"
expect_wire rs485 tx "&MLEND"
empty_logs
expect send 2/1 CAL -- '!447669040006V1.23*\xbb'
expect_wire rs485 rx "&ML_06#CAL+&MLEND"
expect_wire rs485 tx '&ML_06#CAL+!447669040006V1.23*\xbb&MLEND'
expect_wire rs232 rx ""

expect list -- $'1\tRS232\tobecná linka\t-\t0x00\n1/1\tmodul 5\tTQ300\t05\t0x00\n1/2\tmodul 7\tLOQ3\t07\t0x01\n2\tRS485\tobecná linka\t-\t0x00\n2/1\tmodul 6\tTQ300\t06\t0x00'
echo "wine COM port test: passed in $((SECONDS - started)) s"
