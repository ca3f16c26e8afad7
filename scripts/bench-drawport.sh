#!/usr/bin/env bash
# Opening and drawing an enhanced metafile of 100,000 records at 1000 x 700 pixels: drawport's
# engine beside another renderer from the distribution (EMF → SVG → PNG), on the same file.
# Usage: scripts/bench-drawport.sh [build dir]   (default: a folder outside the source tree)
# Installs the comparison renderer (emf2svg, librsvg2-bin) when missing and builds the benchmark.
# Both pictures are compared at the end: the share of inked pixels the other did not draw.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${TMPDIR:-/tmp}/quelm-bench-drawport}

need=()
for p in emf2svg librsvg2-bin; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target drawport_bench -j "$(nproc)" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
"$build/bin/drawport_bench" make "$work/many.emf" 100000
ms() { date +%s%N | awk '{ printf "%d", $1 / 1000000 }'; }
for run in 1 2 3; do
  t0=$(ms); "$build/bin/drawport_bench" draw "$work/many.emf" "$work/ours.png" 1000 700 >/dev/null; t1=$(ms)
  emf2svg-conv -i "$work/many.emf" -o "$work/many.svg" >/dev/null 2>&1
  rsvg-convert -w 1000 -h 700 -o "$work/theirs.png" "$work/many.svg"; t2=$(ms)
  echo "run $run: drawport engine $((t1 - t0)) ms (process total), emf2svg-conv + rsvg-convert $((t2 - t1)) ms"
done
echo "inked pixels drawn by only one of the two: $("$build/bin/drawport_bench" compare "$work/ours.png" "$work/theirs.png")"
echo "drawport engine, open and play only: $("$build/bin/drawport_bench" draw "$work/many.emf" "$work/ours.png" 1000 700) ms"
