#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds Zarn and starts it from the folder that
# holds Zarn.hlp, so that help is found.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-deps.sh
zarn_ensure_packages

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target zarn
exec "$build/zarn" "$@"
