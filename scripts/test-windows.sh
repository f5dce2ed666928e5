#!/usr/bin/env bash
# Cross-builds the Windows programs (lumo-hw.exe, lumo-ctl.exe, lumo-sim.exe) and the core tests
# with mingw-w64 and runs the tests under wine: the records, catalogue, codes, register and answer
# parsing, the replays of the fuzzers' corpora, lumo-ctl.exe against lumo-sim.exe over TCP on
# loopback, the installer, the panel driven on a virtual display, and lumo-ctl.exe on COM ports
# that wine leads to the native simulator's pseudo-terminals (the simulator alone is built in the
# Linux build, build/ or $LUMO_BUILD_DIR). Installs what is missing (as root or with sudo). The
# build goes to build-windows/ (or $LUMO_WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++-mingw-w64-x86-64 googletest wine wine64 nsis xvfb openbox xdotool g++ libgtest-dev)
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

# The serial ports: the native simulator, configured as scripts/setup.sh does where the Linux build
# is not configured yet.
linux_build_dir=${LUMO_BUILD_DIR:-build}
[ -f "$linux_build_dir/CMakeCache.txt" ] || cmake -S . -B "$linux_build_dir" -G Ninja ${LUMO_CMAKE_ARGS:-} >/dev/null
cmake --build "$linux_build_dir" --target lumo-sim
tests/platform/wine_com_port_test.sh "$build_dir/lumo-ctl.exe" "$linux_build_dir/lumo-sim"
