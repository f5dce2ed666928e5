#!/usr/bin/env bash
# Installs what is missing, builds, and opens the desktop panel lumo-hw on a demo installation in
# a fresh folder, with lumo-sim playing the devices: a serial line with three modules (one
# silent, one of another type than recorded) and a TCP converter line. The installation is built
# with lumo-ctl, whose commands are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display to open the panel on (DISPLAY is not set); run it in a desktop session" >&2
  exit 1
fi
ctl="$PWD/build/lumo-ctl"
demo=$(mktemp -d "${TMPDIR:-/tmp}/lumo-demo.XXXXXX")
sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$demo"; }
trap cleanup EXIT
mkdir -p "$demo/data"
cat > "$demo/demo.sim" <<'SIM'
serial 5 4 serial=449205040001
serial 7 3 silent
serial 9 5
tcp    2 1 version=1.30
SIM
build/lumo-sim --pty --tcp 0 --comports "$demo" --com 3 --install "$demo/demo.sim" > "$demo/sim.out" &
sim_pid=$!
for _ in $(seq 50); do grep -q ready "$demo/sim.out" 2>/dev/null && break; sleep 0.1; done
tcp_port=$(sed -n 's/^tcp 127.0.0.1://p' "$demo/sim.out")

run() { echo "\$ lumo-ctl $*"; "$ctl" -C "$demo" "$@"; }
run config set --data-dir "$demo/data"
run line add general
run line set 1 --port COM3 --name "sběrnice RS232"
run module add 1 --type 4 --id 5
run module add 1 --type 3 --id 7
run module add 1 --type 4 --id 9
run line add tcp
run line set 2 --ip 127.0.0.1 --tcp-port "$tcp_port"
run module add 2 --type 1 --id 2
run send 1/1 CAL
run send 1/1 "INF 6"
run send 1/2 CAL
run send 2/1 "INF 8"
run scan
run list
run report 1/1
echo "\$ lumo-hw -C $demo"
build/lumo-hw -C "$demo"
