#!/usr/bin/env bash
# The layer check is a step of the build: in a copy of the sources with an include that points
# up a layer, building the lowest library fails, naming the include, before anything compiles.
# usage: layer_build_step_test.sh SOURCE_DIR
set -euo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
tar -C "$src" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$work/src" -xf -
echo '#include "actions/install_actions.h"' >>"$work/src/model/records.h"
cmake -S "$work/src" -B "$work/build" -G Ninja -DLUMO_TESTS=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; echo "FAIL: configure"; exit 1; }
if cmake --build "$work/build" --target lumo_base >"$work/build.log" 2>&1; then
  echo "FAIL: the build went on past an upward include"; exit 1
fi
grep -q 'layers: model/records.h:.*actions/install_actions.h' "$work/build.log" ||
  { cat "$work/build.log"; echo "FAIL: the build failed without naming the include"; exit 1; }
if grep -q 'Building CXX' "$work/build.log"; then echo "FAIL: sources compiled before the check"; exit 1; fi
echo "layer check: a planted upward include fails the build"
