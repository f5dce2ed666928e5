#!/usr/bin/env bash
# Builds the fuzz target with clang, libFuzzer, ASan and UBSan into build-fuzz/ and runs it on
# the starting corpus for a while (FUZZ_SECONDS, default 300). New inputs go to build-fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=" $p"
done
if [ -n "${missing:-}" ]; then
  s=""; [ "$(id -u)" -ne 0 ] && s=sudo
  $s apt-get update -qq && $s apt-get install -y -qq $missing
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUMO_FUZZ=ON -DLUMO_TESTS=OFF -DLUMO_WERROR=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target answer_fuzz
mkdir -p build-fuzz/corpus
cp -n fuzz/corpus/* build-fuzz/corpus/ 2>/dev/null || true
build-fuzz/answer_fuzz build-fuzz/corpus -max_total_time="${FUZZ_SECONDS:-300}" -max_len=600 -print_final_stats=1
