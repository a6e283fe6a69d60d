#!/usr/bin/env bash
# Builds the codec with clang, AddressSanitizer and UBSan and runs each libFuzzer harness for a
# while (default 120 seconds each). Findings are written to build-fuzz/findings; a crash makes
# the script fail.   fuzz/run-fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-deps.sh
zarn_ensure_packages clang libclang-rt-14-dev

seconds=${1:-120}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_SANITIZE=ON \
  -DZARN_BUILD_GUI=OFF -DZARN_BUILD_CLI=OFF -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF \
  -DZARN_BUILD_FUZZ=ON >/dev/null
# One harness per folder of seeds in fuzz/corpus (see fuzz/CMakeLists.txt).
harnesses=$(ls fuzz/corpus)
cmake --build "$build" -j"$(nproc)" --target $harnesses
for harness in $harnesses; do
  corpus="$build/corpus/$harness"
  mkdir -p "$corpus" "$build/findings"
  cp -n fuzz/corpus/"$harness"/* "$corpus"/
  # The PNG readers start from the sample files too: random bytes rarely make a PNG.
  case "$harness" in
    FuzzPng | FuzzPalette | FuzzColourSource) cp -n tests/data/png/*.png "$corpus"/ ;;
  esac
  echo "== $harness for ${seconds}s"
  "$build/fuzz/$harness" "$corpus" -dict=fuzz/zarn.dict -max_total_time="$seconds" \
    -rss_limit_mb=1024 -artifact_prefix="$build/findings/$harness-" -print_final_stats=1
done
