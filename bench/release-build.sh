# shellcheck shell=bash
# Sourced by the bench scripts, from the repository's root (set -euo pipefail there).
#
#   zarn_release_build DIR PARTS TARGET...
#     Installs the missing Debian packages, then builds TARGET... in a plain Release build in
#     DIR (portable x86-64: no sanitizers, no -march, no tests). PARTS names what to configure
#     besides the codec, joined by commas: gui (the windows), cli (zarn-cli), bench (the
#     benchmarks); e.g. "cli,bench". The build's output is shown only when it fails, and then
#     the script ends with status 1.
#   timed COMMAND...   prints COMMAND's wall time in microseconds, COMMAND's output dropped
#                      (bash's own clock: no process is started to read it)
#   min BEST VALUE     prints the smaller of the two; BEST may be empty
#   zarn_cli_against_imagemagick DIR NAME [TARGET...]
#     The set-up of a comparison of zarn-cli with ImageMagick: installs ImageMagick when it is
#     missing and sets convert and mogrify to its programs; builds zarn-cli (and the benchmark
#     TARGETs) as zarn_release_build does in DIR and sets cli to it (ZARN_CLI names another
#     build to time); makes the folder work (NAME in its name), removed when the script ends.
# and zarn_ensure_packages (scripts/ensure-deps.sh), for the packages a script needs besides.

# shellcheck source=scripts/ensure-deps.sh
source scripts/ensure-deps.sh

zarn_release_build() {
  local dir=$1 parts=",$2,"
  shift 2
  local gui=OFF cli=OFF bench=OFF
  [[ $parts == *,gui,* ]] && gui=ON
  [[ $parts == *,cli,* ]] && cli=ON
  [[ $parts == *,bench,* ]] && bench=ON
  zarn_ensure_packages
  echo "Building $* in $dir ..."
  local log
  log=$(mktemp)
  if ! { cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= -DZARN_SANITIZE=OFF \
           -DZARN_WERROR=OFF -DZARN_BUILD_GUI="$gui" -DZARN_BUILD_CLI="$cli" \
           -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH="$bench" &&
         cmake --build "$dir" -j"$(nproc)" --target "$@"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
}

timed() {
  local t0=${EPOCHREALTIME/./}
  "$@" >/dev/null
  local t1=${EPOCHREALTIME/./}
  echo $((t1 - t0))
}

min() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }

zarn_cli_against_imagemagick() {
  local dir=$1 name=$2
  shift 2
  zarn_ensure_packages imagemagick
  convert=/usr/bin/convert
  [ -x "$convert" ] || convert=$(command -v convert)
  mogrify=/usr/bin/mogrify
  [ -x "$mogrify" ] || mogrify=$(command -v mogrify)
  if [ $# -eq 0 ]; then
    zarn_release_build "$dir" cli zarn-cli
  else
    zarn_release_build "$dir" cli,bench zarn-cli "$@"
  fi
  cli=${ZARN_CLI:-$PWD/$dir/cli/zarn-cli}
  work=$(mktemp -d "${TMPDIR:-/tmp}/$name.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}
