#!/usr/bin/env bash
# Builds a fuzz target with clang, libFuzzer, ASan and UBSan into build-fuzz/ and runs it on its
# starting corpus for a while (FUZZ_SECONDS, default 300). New inputs go to build-fuzz/<target>-corpus.
#   scripts/fuzz.sh [answer_fuzz|file_fuzz|image_fuzz]
#     answer_fuzz: device answers, tunnel and ICMP replies, the console, the simulator's parser
#     file_fuzz:   every file reader (records, config.dat, cmd.dat, comports.cfg, the register,
#                  simulator installations, MAC text, the code page 1250 codec)
#     image_fuzz:  firmware files through the whole-file check and both download plans
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/install_missing.sh
install_missing fuzz clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUMO_FUZZ=ON -DLUMO_TESTS=OFF -DLUMO_WERROR=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
target=${1:-answer_fuzz}
case "$target" in
  answer_fuzz) seeds=fuzz/corpus max_len=600 ;;
  file_fuzz) seeds=fuzz/file_corpus max_len=6000 ;;
  image_fuzz) seeds=fuzz/image_corpus max_len=70000 ;;
  *) echo "fuzz: unknown target $target (answer_fuzz, file_fuzz or image_fuzz)" >&2; exit 2 ;;
esac
cmake --build build-fuzz --target "$target"
mkdir -p "build-fuzz/$target-corpus"
cp -n "$seeds"/* "build-fuzz/$target-corpus/" 2>/dev/null || true
"build-fuzz/$target" "build-fuzz/$target-corpus" -max_total_time="${FUZZ_SECONDS:-300}" -max_len="$max_len" -timeout=10 \
  -print_final_stats=1
