#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   LUMO_SANITIZE=1 scripts/test.sh   the same under AddressSanitizer and UBSan (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${LUMO_SANITIZE:-0}" = 1 ]; then
  export LUMO_BUILD_DIR=build-asan LUMO_CMAKE_ARGS="-DLUMO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"
fi
# The layer order of the sources (docs/architecture.md), before anything is built.
scripts/check_layers.sh
scripts/setup.sh
ctest --test-dir "${LUMO_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
