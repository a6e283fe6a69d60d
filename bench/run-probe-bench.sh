#!/usr/bin/env bash
# Builds the inspector benchmark in a plain Release build in build-bench and runs it offscreen:
# the time to handle one pointer move over a 640 x 480 16-bit image at 1600 %, and one highlight
# of a palette index in a 640 x 480 8-bit image, each with the repaint it causes.
# Extra arguments go to the benchmark binary, for example --benchmark_repetitions=5.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/release-build.sh
zarn_release_build build-bench gui,bench zarn_probe_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/zarn_probe_bench "$@"
