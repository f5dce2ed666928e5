#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (only the packages that are
# missing) and configures and builds the project into build/ (or $LUMO_BUILD_DIR).
# Works as root and for a user with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

# The desktop tests drive the real panel under a virtual X server with a window manager; the
# package tests validate the desktop entry, render the manual pages and grant capabilities.
packages=(g++ cmake ninja-build pkg-config libgtest-dev iproute2 dpkg-dev qt6-base-dev libgl-dev fonts-dejavu-core
          qt6-translations-l10n xvfb xdotool openbox imagemagick
          desktop-file-utils man-db libcap2-bin libusb-1.0-0-dev file xauth)
. scripts/install_missing.sh
install_missing setup "${packages[@]}"

build_dir=${LUMO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja ${LUMO_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
