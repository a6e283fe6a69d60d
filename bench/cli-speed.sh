#!/usr/bin/env bash
# Times zarn-cli against ImageMagick's convert as whole processes, side by side in one run:
#   1. one 640 x 480 16-bit BM exported to BMP, against convert turning the same picture as a
#      24-bit BMP into a BMP (target: zarn-cli at least 5x faster);
#   2. a folder of 100 BMs (8-bit and 16-bit, 64 x 64 up to 640 x 480) exported in one zarn-cli
#      call, against 100 convert calls on the same pictures as BMPs: BMP output (target 20x)
#      and PNG output (target 5x).
# Each measurement is the best of several rounds, the two programs taking turns, so that other
# work on the machine disturbs both alike. Builds zarn-cli in a plain Release build (no
# sanitizers) in build-bench-cli; installs ImageMagick when it is missing.
#
#   bench/cli-speed.sh [ROUNDS]     (default 5; ZARN_CLI=/path/to/zarn-cli times another build)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}

# shellcheck source=bench/release-build.sh
source bench/release-build.sh
zarn_cli_against_imagemagick build-bench-cli zarn-cli-speed
cd "$work"

# ---- inputs ------------------------------------------------------------------------------------
echo "Making the inputs in $work ..."
"$convert" -size 640x480 -seed 7 plasma:fractal -type TrueColor -compress none BMP3:base24.bmp
"$convert" base24.bmp -colors 256 -type Palette -compress none BMP3:base8.bmp

sizes=(640x480 320x240 512x384 256x256 128x128 64x64 400x300 200x150 600x400 96x96)
mkdir -p src bms pictures
for i in $(seq -w 0 99); do
  size=${sizes[$((10#$i % ${#sizes[@]}))]}
  offset=+$((10#$i % 7))+$((10#$i % 5))
  if (( 10#$i % 2 == 0 )); then
    "$convert" base24.bmp -crop "$size$offset" +repage -type TrueColor -compress none \
      BMP3:"src/pic$i.bmp"
    "$cli" create --16bit -o "bms/pic$i.bm" "src/pic$i.bmp"
  else
    "$convert" base8.bmp -crop "$size$offset" +repage -type Palette -compress none \
      BMP3:"src/pic$i.bmp"
    "$cli" create --include-palette -o "bms/pic$i.bm" "src/pic$i.bmp"
  fi
done
# The pictures as convert gets them: each BM's own export, so both programs see the same
# pixels (16-bit BMs as 24-bit BMPs, 8-bit ones as 256-colour BMPs).
"$cli" export bms/*.bm -o pictures
"$cli" create --16bit -o one.bm base24.bmp
"$cli" export one.bm -o one.bmp

# ---- timing (timed and min: bench/release-build.sh) ---------------------------------------------
# The single export is short, so each sample is ten runs in a row.
single_runs=10
single_cli() { for _ in $(seq $single_runs); do "$cli" export one.bm -o out-cli.bmp; done; }
single_convert() { for _ in $(seq $single_runs); do "$convert" one.bmp out-im.bmp; done; }
# Both write into a fresh folder, emptied before the clock starts.
folder_cli() { "$cli" export --format "$1" bms/*.bm -o out-cli; }
folder_convert() {
  local f
  for f in pictures/*.bmp; do "$convert" "$f" "out-im/$(basename "${f%.bmp}").$1"; done
}

declare -A best
measure() {  # name, command...
  local name=$1
  shift
  rm -rf out-cli out-im && mkdir out-im
  best[$name]=$(min "${best[$name]:-}" "$(timed "$@")")
}

echo "Timing, best of $rounds rounds ..."
for _ in $(seq "$rounds"); do
  measure single-cli single_cli
  measure single-convert single_convert
  measure bmp-cli folder_cli bmp
  measure bmp-convert folder_convert bmp
  measure png-cli folder_cli png
  measure png-convert folder_convert png
done

report() {  # title, cli key, convert key, target
  awk -v title="$1" -v c="${best[$2]}" -v m="${best[$3]}" -v target="$4" 'BEGIN {
    ratio = m / c
    printf "%-44s zarn-cli %9.1f ms   convert %9.1f ms   %6.1fx  (target %dx: %s)\n",
           title, c / 1000, m / 1000, ratio, target, (ratio >= target ? "met" : "NOT met")
  }'
}
echo
best[single-cli]=$((${best[single-cli]} / single_runs))
best[single-convert]=$((${best[single-convert]} / single_runs))
report "one 640x480 16-bit BM to BMP" single-cli single-convert 5
report "100 BMs to BMP (1 call vs 100 calls)" bmp-cli bmp-convert 20
report "100 BMs to PNG (1 call vs 100 calls)" png-cli png-convert 5
