#!/usr/bin/env bash
# Builds the Windows installer lumo-panel-VERSION-setup.exe (NSIS: packaging/windows/lumo-panel.nsi)
# into the Windows cross-build's folder, build-windows/ (or $LUMO_WINDOWS_BUILD_DIR), and prints its
# path. The build is configured as scripts/test-windows.sh configures it and brought up to date
# first; the installer carries its lumo-hw.exe, lumo-ctl.exe and lumo-sim.exe, stripped, and the
# release notes. Installs what is missing (as root or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++-mingw-w64-x86-64 googletest nsis)
. scripts/install_missing.sh
install_missing package-windows "${packages[@]}"

build_dir=${LUMO_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" >&2
build=$(cd "$build_dir" && pwd)
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
strip=$(cache_value CMAKE_STRIP)

# The programs as the installer carries them: without their debugging information.
staged=$build/installer-files
rm -rf "$staged"
mkdir -p "$staged"
for program in lumo-hw lumo-ctl lumo-sim; do
  [ -f "$build/$program.exe" ] || { echo "package-windows: $build/$program.exe was not built" >&2; exit 1; }
  "$strip" -o "$staged/$program.exe" "$build/$program.exe"
done

setup=$build/lumo-panel-$version-setup.exe
makensis -WX -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPROGRAMS_DIR="$staged" \
  -DNOTES="$PWD/docs/novinky_verze_2.txt" -DOUTFILE="$setup" packaging/windows/lumo-panel.nsi >&2
echo "$setup"
