#!/usr/bin/env bash
# The layer check fails on each kind of offending include, naming it, and passes a clean tree.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

fails() {  # FILE LINE WHY: the check fails and names the line
  local out
  if out=$("$check" "$tree" 2>&1); then echo "passed, should fail on: $2"; exit 1; fi
  grep -qF "$1" <<<"$out" || { echo "did not name $1: $out"; exit 1; }
  grep -qF "$3" <<<"$out" || { echo "did not say '$3': $out"; exit 1; }
}
clean() { rm -rf "${tree:?}"/*; mkdir -p "$tree"/{platform/posix,platform/win32,base,model,comm,actions,app,cli,ui/qt}; }

clean
echo '#include "model/records.h"' >"$tree/comm/line.cpp"
echo '#include "platform/file_io.h"' >"$tree/model/records.h"
echo '#include <vector>' >>"$tree/model/records.h"
echo '#include "base/app_state.h"' >"$tree/cli/main.cpp"
mkdir -p "$tree/ui/qt/dialogs" && echo '#include <QWidget>' >"$tree/ui/qt/dialogs/x_dialog.cpp"
echo '#include <termios.h>' >"$tree/platform/posix/serial.cpp"
echo '#include <windows.h>' >"$tree/platform/win32/serial.cpp"
mkdir -p "$tree/ui/win32/dialogs" && echo '#include <windows.h>' >"$tree/ui/win32/dialogs/x_dialog.cpp"
echo '#include "ui/clock_form.h"' >>"$tree/ui/win32/dialogs/x_dialog.cpp"
"$check" "$tree" >/dev/null || { echo "a clean tree failed"; "$check" "$tree"; exit 1; }

echo '#include "comm/line_port.h"' >>"$tree/model/records.h"
fails model/records.h '"comm/line_port.h"' "the include points up"
clean; echo '#include "actions/install_actions.h"' >"$tree/app/startup.cpp"
fails app/startup.cpp "actions" "one layer"
clean; echo '#include <QDialog>' >"$tree/actions/x_dialog.cpp"
fails actions/x_dialog.cpp "<QDialog>" "no Qt or OS header"  # no file name lets Qt into the core
clean; echo '#include <QString>' >"$tree/base/ui_port.cpp"
fails base/ui_port.cpp "<QString>" "no Qt or OS header"
clean; echo '#include <sys/socket.h>' >"$tree/comm/line.cpp"
fails comm/line.cpp "<sys/socket.h>" "no Qt or OS header"
clean; echo '#include "model/records.h"' >"$tree/platform/posix/file_io.cpp"
fails platform/posix/file_io.cpp "model/records.h" "never calls up"
clean; echo '#include "device/console.h"' >"$tree/platform/win32/net.cpp"
fails platform/win32/net.cpp "device/console.h" "never calls up"
clean; printf '#ifdef _WIN32\n#endif\n' >"$tree/cli/main.cpp"
fails cli/main.cpp "_WIN32" "belongs in platform/"
clean; printf '#ifdef _WIN32\n#endif\n' >"$tree/model/records.h"
fails model/records.h "_WIN32" "belongs in platform/"
clean; echo '#include "ui/qt/main_window.h"' >"$tree/cli/main.cpp"
fails cli/main.cpp "ui/qt/main_window.h" "front ends do not include each other"
clean; mkdir -p "$tree/ui/win32"; echo '#include "ui/qt/dialogs.h"' >"$tree/ui/win32/main_window.cpp"
fails ui/win32/main_window.cpp "ui/qt/dialogs.h" "front ends do not include each other"
clean; echo '#include <windows.h>' >"$tree/ui/line_form.cpp"
fails ui/line_form.cpp "<windows.h>" "no Qt or OS header"
echo "layer check: every planted include caught"
