#!/usr/bin/env bash
# Benchmark of plotwell's picture export: one xy call over 1,000,000 points to a finished PNG file
# and to an EMF file (batch export -@), beside gnuplot's png, pngcairo and emf terminals on the
# same data, in one run. Prints the best wall time of each over the repeats.
#   scripts/bench-plotwell-export.sh [build folder] [repeats]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}

if ! command -v gnuplot >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends gnuplot-nox
fi

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target plotwell >/dev/null
plotwell=$(cd "$build/bin" && pwd)/plotwell

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir win
export QUELM_WINDIR="$work/win" QT_QPA_PLATFORM=offscreen

# 1,000,000 points of a noisy sine, two columns
awk 'BEGIN { srand(1); for (i = 0; i < 1000000; i++) printf "%.4f %.5f\n", i * 0.0001, sin(i * 0.0001) + (rand() - 0.5) * 0.1 }' > points.xy

best_ms() {
  local best=""
  for _ in $(seq "$repeats"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

row() { printf '%-44s %8s ms   %s\n' "$1" "$2" "$3"; }

echo "1,000,000 points, 1600 x 1200, best of $repeats:"
ms=$(best_ms "$plotwell" points.xy -@ plotwell.png,f24,1600,1200)
row "plotwell -@ PNG (24 bit)" "$ms" "$(stat -c %s plotwell.png) bytes"
ms=$(best_ms "$plotwell" points.xy -@ plotwell8.png,f,1600,1200)
row "plotwell -@ PNG (8 bit, dithered palette)" "$ms" "$(stat -c %s plotwell8.png) bytes"
if ms=$(best_ms "$plotwell" points.xy -@ plotwell.emf,f,1600,1200); then
  row "plotwell -@ EMF" "$ms" "$(stat -c %s plotwell.emf) bytes"
else
  row "plotwell -@ EMF" "-" "failed"
fi
for term in "png size 1600,1200" "pngcairo size 1600,1200" "emf size 1600,1200"; do
  name=$(echo "$term" | cut -d' ' -f1)
  ext=png
  [ "$name" = emf ] && ext=emf
  ms=$(best_ms gnuplot -e "set terminal $term; set output 'gnuplot-$name.$ext'; plot 'points.xy' with lines notitle")
  row "gnuplot $name" "$ms" "$(stat -c %s "gnuplot-$name.$ext") bytes"
done
