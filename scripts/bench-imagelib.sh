#!/usr/bin/env bash
# Benchmark of plotwell's image library: reduction of a 1600 x 1200 24-bit picture to 256
# colours with dithering, and PNG writing, compared with ImageMagick's convert writing the
# same picture as PNG (24-bit, and reduced to 256 colours with dithering).
#   scripts/bench-imagelib.sh [build folder] [repeats]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-5}

if ! command -v convert >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends imagemagick
fi

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target plotwell_imagelib_bench >/dev/null
bench=$(find "$build" -name plotwell_imagelib_bench -type f -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "plotwell image library (best of $repeats):"
"$bench" "$work" "$repeats"

# Best wall time of a command over the repeats, in milliseconds.
best_ms() {
  local best=""
  for _ in $(seq "$repeats"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

echo "ImageMagick convert on the same picture (best of $repeats, process start included):"
echo "convert_png_rgb24_ms $(best_ms convert "$work/picture.ppm" PNG24:"$work/im-rgb.png")"
echo "convert_png_palette8_dither_ms $(best_ms convert "$work/picture.ppm" -dither FloydSteinberg -colors 256 PNG8:"$work/im-pal.png")"
echo "convert_read_ppm_only_ms $(best_ms convert "$work/picture.ppm" null:)"
echo "sizes_bytes palette.png=$(stat -c %s "$work/palette.png") rgb.png=$(stat -c %s "$work/rgb.png") im-pal.png=$(stat -c %s "$work/im-pal.png") im-rgb.png=$(stat -c %s "$work/im-rgb.png")"
