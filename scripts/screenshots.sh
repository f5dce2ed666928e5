#!/usr/bin/env bash
# Renders the main window and every dialog into docs/*.png, on a virtual X server with the
# openbox window manager so that the window frames show.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$number"
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2>/dev/null' EXIT
sleep 1
LUMO_SCREENSHOTS=1 QT_QPA_PLATFORM=xcb build/tests/lumo_gui_tests --gtest_filter='Screenshots.*'
