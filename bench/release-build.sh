# Sourced by the bench scripts: builds benchmark targets in a plain Release build (portable
# x86-64: no sanitizers, no -march) in build-bench, from the repository's root.
#   zarn_bench_build ON|OFF target...   (ON builds the windows too)
zarn_bench_build() {
  local gui=$1
  shift
  source scripts/ensure-deps.sh
  zarn_ensure_packages
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= -DZARN_SANITIZE=OFF \
    -DZARN_WERROR=OFF -DZARN_BUILD_GUI="$gui" -DZARN_BUILD_CLI=OFF -DZARN_BUILD_TESTS=OFF \
    -DZARN_BUILD_BENCH=ON
  cmake --build build-bench --target "$@" -j"$(nproc)"
}
