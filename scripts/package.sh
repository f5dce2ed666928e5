#!/usr/bin/env bash
# Builds the Debian package lumo-panel into build-package/ (an optimised build of its own, stripped, without
# the tests) and prints the package's path. Installs what building needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
LUMO_BUILD_DIR=build-package LUMO_CMAKE_ARGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_TESTS=OFF" scripts/setup.sh >&2
(cd build-package && cpack -G DEB >&2)
ls -t build-package/lumo-panel_*.deb | head -n 1
