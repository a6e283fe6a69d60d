#!/usr/bin/env bash
# PNG export against ImageMagick's defaults, as whole processes on the same pictures: the 21
# texture-like 640 x 480 images of bench/PngBench.cpp in one 16-bit BM. zarn-cli exports the BM
# to PNG files in one call; ImageMagick turns the same pictures, exported as 24-bit BMPs, into
# PNG files with its default settings, once as one mogrify call for all of them and once as a
# convert call per picture. Prints the total size and the best wall time of each, and whether
# zarn-cli's files are within 5 % of ImageMagick's size at least twice as fast.
# Builds zarn-cli and the benchmark in a plain Release build in build-bench-png.
#
#   bench/png-size.sh [ROUNDS]     (default 5)
#
# Measured here (2 cores shared with other builds, best of 3): zarn-cli 3.91 MB in 4.8 s
# against ImageMagick's 3.80 MB in 16.0 s (mogrify) and 18.5 s (convert per picture): +3.0 %,
# 3.3x and 3.8x as fast. Before, with libpng's fastest setting, zarn-cli wrote 5.42 MB (+43 %).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}

# shellcheck source=bench/release-build.sh
source bench/release-build.sh

build="build-bench-png"
zarn_cli_against_imagemagick "$build" zarn-png-size zarn_png_bench
"$build/bench/zarn_png_bench" --write-bm "$work/textures.bm"
cd "$work"
"$cli" export --format bmp textures.bm -o bmp/ >/dev/null

zarn() { "$cli" export --format png textures.bm -o out/; }
mogrify_all() { "$mogrify" -path out -format png bmp/*.bmp; }
convert_each() {
  local f
  for f in bmp/*.bmp; do "$convert" "$f" "out/$(basename "${f%.bmp}").png"; done
}

declare -A best size
for _ in $(seq "$rounds"); do
  for name in zarn mogrify_all convert_each; do
    rm -rf out && mkdir out
    best[$name]=$(min "${best[$name]:-}" "$(timed "$name")")
    size[$name]=$(cat out/*.png | wc -c)
  done
done

echo "21 pictures of 640 x 480, best of $rounds rounds:"
for name in zarn mogrify_all convert_each; do
  awk -v name="$name" -v t="${best[$name]}" -v s="${size[$name]}" \
    'BEGIN { printf "  %-13s %9.2f MB  %8.1f ms\n", name, s / 1e6, t / 1000 }'
done
awk -v zs="${size[zarn]}" -v ms="${size[mogrify_all]}" -v zt="${best[zarn]}" \
    -v mt="${best[mogrify_all]}" -v ct="${best[convert_each]}" 'BEGIN {
  printf "size: zarn-cli %+.1f %% against ImageMagick (target at most +5 %%: %s)\n",
         100 * (zs / ms - 1), (zs <= 1.05 * ms ? "met" : "NOT met")
  printf "time: zarn-cli %.1fx as fast as one mogrify, %.1fx as fast as a convert per picture " \
         "(target 2x: %s)\n", mt / zt, ct / zt, (mt >= 2 * zt ? "met" : "NOT met")
}'
