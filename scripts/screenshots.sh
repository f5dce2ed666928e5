#!/usr/bin/env bash
# Renders the main window, the configuration dialog and the about box on the offscreen platform
# into docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
LUMO_SCREENSHOTS=1 QT_QPA_PLATFORM=offscreen build/tests/lumo_gui_tests --gtest_filter='*Screenshots*'
