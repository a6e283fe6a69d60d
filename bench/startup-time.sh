#!/usr/bin/env bash
# Times the start of zarn against a bare Qt main window of the same size: the time from
# starting each program to the mapping of its first window, under an Xvfb of its own without
# a window manager. A bare window with a menu bar runs too: it pays the font set-up that any
# window with text pays before it can be laid out. The programs run in rounds, taking turns on
# which goes first, so that other work on the machine disturbs all alike; the result is the
# median wall time of each, the median processor time each had used by then (which other work
# on the machine hardly changes), and the ratios (target: zarn within 1.2x of the bare window). Builds both in a plain Release build (no sanitizers) in
# build-bench-startup; installs Xvfb when it is missing.
#
#   bench/startup-time.sh [PAIRS]     (default 30; ZARN=/path/to/zarn times another build)
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-30}

# shellcheck source=bench/release-build.sh
source bench/release-build.sh
zarn_ensure_packages xvfb libxcb1-dev

build="build-bench-startup"
zarn_release_build "$build" gui,bench zarn zarn_bare_window zarn_first_map_time
zarn=${ZARN:-$PWD/$build/zarn}
bare=$PWD/$build/bench/zarn_bare_window
timer=$PWD/$build/bench/zarn_first_map_time

work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-startup.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3 once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
display=$(head -n1 "$work/display")
[ -n "$display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
cd "$work"  # zarn fixes its help file from the working directory; nothing is read there

first_map() { "$timer" "$@"; }

# zarn's window size, for the bare windows; then one round of each to warm the caches.
read -r _ width height _ < <(first_map "$zarn")
first_map "$bare" "$width" "$height" >/dev/null
first_map "$bare" --menu "$width" "$height" >/dev/null

# Each line of a result file: wall milliseconds, processor milliseconds.
run() {
  local out=$1
  shift
  first_map "$@" | awk '{ print $1, $4 }' >>"$work/$out.txt"
}
: >"$work/zarn.txt"
: >"$work/bare.txt"
: >"$work/menu.txt"
for ((i = 0; i < pairs; i++)); do
  if ((i % 2 == 0)); then
    run zarn "$zarn"
    run bare "$bare" "$width" "$height"
    run menu "$bare" --menu "$width" "$height"
  else
    run menu "$bare" --menu "$width" "$height"
    run bare "$bare" "$width" "$height"
    run zarn "$zarn"
  fi
done

# median FILE COLUMN
median() {
  cut -d' ' -f"$2" "$1" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
printf 'window %sx%s, %d rounds; medians, milliseconds\n' "$width" "$height" "$pairs"
printf '%-28s %8s %8s\n' "" "wall" "cpu"
for kind in bare menu zarn; do
  case $kind in
    bare) label="bare Qt main window" ;;
    menu) label="bare window with a menu bar" ;;
    zarn) label="zarn" ;;
  esac
  printf '%-28s %8s %8s\n' "$label" "$(median "$work/$kind.txt" 1)" "$(median "$work/$kind.txt" 2)"
done
awk -v z="$(median "$work/zarn.txt" 1)" -v b="$(median "$work/bare.txt" 1)" \
  -v m="$(median "$work/menu.txt" 1)" -v zc="$(median "$work/zarn.txt" 2)" \
  -v bc="$(median "$work/bare.txt" 2)" -v mc="$(median "$work/menu.txt" 2)" 'BEGIN {
    printf "ratio zarn / bare window:            wall %.2f, cpu %.2f (target at most 1.20)\n", z / b, zc / bc
    printf "ratio zarn / window with a menu bar: wall %.2f, cpu %.2f\n", z / m, zc / mc
  }'
