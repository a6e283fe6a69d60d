#!/usr/bin/env bash
# Builds the codec benchmarks in a plain Release build (portable x86-64: no sanitizers, no
# -march) in build-bench and runs them. The closing table gives each path's time as a multiple
# of memcpy of the same output bytes; the PNG round trip follows, beside the same through BMP,
# then colour mapping of a 640 x 480 picture to a palette, beside brute force.
# Extra arguments go to both benchmark binaries, for example --benchmark_filter=16.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-deps.sh
zarn_ensure_packages

build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= -DZARN_SANITIZE=OFF \
  -DZARN_WERROR=OFF -DZARN_BUILD_GUI=OFF -DZARN_BUILD_CLI=OFF -DZARN_BUILD_TESTS=OFF \
  -DZARN_BUILD_BENCH=ON
cmake --build "$build" --target zarn_bench zarn_png_bench zarn_colour_map_bench -j"$(nproc)"
"$build/bench/zarn_bench" "$@"
"$build/bench/zarn_png_bench" "$@"
"$build/bench/zarn_colour_map_bench" "$@"
