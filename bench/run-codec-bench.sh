#!/usr/bin/env bash
# Builds the codec benchmarks in a plain Release build (portable x86-64: no sanitizers, no
# -march) in build-bench and runs them. The closing table gives each path's time as a multiple
# of memcpy of the same output bytes; the PNG round trip follows, beside the same through BMP,
# then colour mapping of a 640 x 480 picture to a palette, beside brute force.
# Extra arguments go to both benchmark binaries, for example --benchmark_filter=16.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/release-build.sh
zarn_release_build build-bench bench zarn_bench zarn_png_bench zarn_colour_map_bench
build-bench/bench/zarn_bench "$@"
build-bench/bench/zarn_png_bench "$@"
build-bench/bench/zarn_colour_map_bench "$@"
