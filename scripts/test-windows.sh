#!/usr/bin/env bash
# Cross-builds the Windows programs (lumo-hw.exe, lumo-ctl.exe, lumo-sim.exe) and the core tests
# with mingw-w64 and runs the tests under wine: the records, catalogue, codes, register and answer
# parsing, the replays of the fuzzers' corpora, lumo-ctl.exe against lumo-sim.exe over TCP on
# loopback, the installer, and the panel driven on a virtual display. Installs what is missing
# (as root or with sudo). The build goes to build-windows/ (or $LUMO_WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++-mingw-w64-x86-64 googletest wine wine64 nsis xvfb openbox xdotool)
. scripts/install_missing.sh
install_missing test-windows "${packages[@]}"

build_dir=${LUMO_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"

# wine keeps its own Windows tree beside the build; its first start makes it (some seconds).
export WINEPREFIX="$PWD/$build_dir/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir "$build_dir" --output-on-failure
# The installer (scripts/package-windows.sh), installed and uninstalled silently in that prefix.
setup=$(scripts/package-windows.sh)
tests/packaging/windows_installer_test.sh "$setup"
# The panel itself, driven on a virtual display as a technician drives it.
tests/win32/panel_under_wine_test.sh "$build_dir"
