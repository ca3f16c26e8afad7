#!/usr/bin/env bash
# Benchmark of plotwell beside gnuplot drawing the same graphs, in one run: a series of a million
# points (a noisy sine) as a line, as bars and as an area down to zero, each written as a PNG
# picture, an enhanced metafile and a PostScript page. Every command runs pinned to one core and
# is timed from start to exit (best of the runs). gnuplot's PNG time is the faster of its png and
# pngcairo terminals (a pngcairo run that outlasts png's best is stopped: it cannot be the faster).
#
# Before a ratio is printed, both pictures are checked to show the same data: each is rasterised
# (metafiles by drawport's player, PostScript by Ghostscript) and the share of inked pixels inside
# the box of everything inked is compared; the graphs have the same axis ranges and no axis
# numbers or legend, so that box is the plot frame. Shares more than 15 % apart (35 % for lines,
# whose ink also depends on the pen: plotwell's is 1/36 inch wide on the picture, gnuplot's one
# pixel) print "differ" instead of a ratio and make the script fail.
#
#   scripts/bench-plotwell.sh
#     BUILD_DIR=<folder>  release build folder (default: $TMPDIR/quelm-bench-plotwell, outside the
#                         source tree); POINTS=<n> points (1000000); RUNS=<n> runs (3);
#                         BENCH_CPU=<n> the core to pin to (the last one)
# Installs gnuplot-nox, ghostscript and imagemagick with apt-get when they are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-${TMPDIR:-/tmp}/quelm-bench-plotwell}
points=${POINTS:-1000000}
runs=${RUNS:-3}
cpu=${BENCH_CPU:-$(($(nproc) - 1))}

need=()
command -v gnuplot >/dev/null 2>&1 || need+=(gnuplot-nox)
command -v gs >/dev/null 2>&1 || need+=(ghostscript)
command -v convert >/dev/null 2>&1 || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
"$root/scripts/install-deps.sh"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target plotwell drawport_bench -j 4 >/dev/null
plotwell=$build/bin/plotwell
player=$(find "$build" -name drawport_bench -type f -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
cd "$work"
mkdir win
export QUELM_WINDIR="$work/win" QT_QPA_PLATFORM=offscreen

awk -v n="$points" 'BEGIN { srand(1); for (i = 0; i < n; i++) { x = i * 100 / n;
  printf "%.5f %.5f\n", x, sin(x) + (rand() - 0.5) * 0.5 } }' > points.xy

# the graphs: same axis ranges, no axis numbers, ticks or legend
common='XY_COLUMNS 1,2\nNO_LEGEND\nNO_AXIS\nX_AXIS 0 100\nY_AXIS -2 2\n'
printf "$common" > lines.set
printf "${common}DRAW_BARS 1\nDRAW_LINES 0\n" > bars.set
printf "${common}DRAW_AREA 0 1\nDRAW_LINES 0\n" > areas.set
gnuplot_plot() {
  echo "unset tics; unset key; set xrange [0:100]; set yrange [-2:2];"
  case $1 in
  lines) echo "plot 'points.xy' with lines lc rgb 'red'" ;;
  bars) echo "set style fill solid border lc rgb 'black'; plot 'points.xy' with boxes lc rgb 'red'" ;;
  areas) echo "plot 'points.xy' with filledcurves y=0 lc rgb 'red'" ;;
  esac
}

# ms <command...>: milliseconds of one pinned run (its exit status ignored: plotwell reports a
# PostScript page written as a message)
ms() {
  local start end
  start=$(date +%s%N)
  taskset -c "$cpu" "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
# best <command...>: the fastest of $runs runs
best() {
  local b="" t
  for _ in $(seq "$runs"); do
    t=$(ms "$@")
    if [ -z "$b" ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "$b"
}
# raster <file> <png>: the picture of a PNG, metafile or PostScript file
raster() {
  case $1 in
  *.png) cp "$1" "$2" ;;
  *.emf) "$player" draw "$1" "$2" 1600 1200 >/dev/null ;;
  *.ps) gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r100 -sOutputFile="$2" "$1" ;;
  esac
}
# ink <file>: the share of inked pixels within the box of all ink
ink() {
  raster "$1" "$1.check.png" 2>/dev/null || { echo 0; return; }
  convert "$1.check.png" -alpha off -colorspace gray -threshold 90% -negate -bordercolor black -border 1 \
    -trim -format '%[fx:mean]' info: 2>/dev/null || echo 0
}

echo "plotwell beside gnuplot, $points points, best of $runs runs, pinned to core $cpu"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes) on $(nproc) cores"
printf '%-6s %-10s %12s %12s %8s   %s\n' kind format "plotwell ms" "gnuplot ms" ratio "ink shares (plotwell, gnuplot; gnuplot terminal)"
failed=0
for kind in lines bars areas; do
  for format in PNG EMF PostScript; do
    case $format in
    PNG)
      ours=$(best "$plotwell" -c "$kind.set" points.xy -@ "p-$kind.png,f24,1600,1200")
      ours_file=p-$kind.png
      theirs=$(best gnuplot -e "set terminal png size 1600,1200; set output 'g-$kind.png'; $(gnuplot_plot "$kind")")
      theirs_file=g-$kind.png
      # pngcairo counts only where it is faster than png's best
      png_ms=$theirs
      if timeout $((png_ms / 1000 + 1)) taskset -c "$cpu" gnuplot -e \
        "set terminal pngcairo size 1600,1200; set output 'c-$kind.png'; $(gnuplot_plot "$kind")" >/dev/null 2>&1; then
        cairo=$(best gnuplot -e "set terminal pngcairo size 1600,1200; set output 'c-$kind.png'; $(gnuplot_plot "$kind")")
        terminal="faster of png $png_ms ms, pngcairo $cairo ms"
        if [ "$cairo" -lt "$theirs" ]; then theirs=$cairo; theirs_file=c-$kind.png; fi
      else
        terminal="png; pngcairo stopped after $((png_ms / 1000 + 1)) s"
      fi
      ;;
    EMF)
      ours=$(best "$plotwell" -c "$kind.set" points.xy -@ "p-$kind.emf,f24,1600,1200")
      ours_file=p-$kind.emf
      theirs=$(best gnuplot -e "set terminal emf size 1600,1200; set output 'g-$kind.emf'; $(gnuplot_plot "$kind")")
      theirs_file=g-$kind.emf
      terminal=emf
      ;;
    PostScript)
      ours=$(best "$plotwell" -c "$kind.set" points.xy -l -S "p-$kind.ps" -@ "unused.png,f24,10,10")
      ours_file=p-$kind.ps
      theirs=$(best gnuplot -e "set terminal postscript landscape color; set output 'g-$kind.ps'; $(gnuplot_plot "$kind")")
      theirs_file=g-$kind.ps
      terminal=postscript
      ;;
    esac
    a=$(ink "$ours_file")
    b=$(ink "$theirs_file")
    tolerance=1.15
    [ "$kind" = lines ] && tolerance=1.35
    if awk -v a="$a" -v b="$b" -v t="$tolerance" 'BEGIN { exit !(a > 0 && b > 0 && a / b < t && b / a < t) }'; then
      ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')
    else
      ratio=differ
      failed=1
    fi
    printf '%-6s %-10s %12s %12s %8s   %.3f, %.3f; %s\n' "$kind" "$format" "$ours" "$theirs" "$ratio" "$a" "$b" "$terminal"
    rm -f ./*.check.png
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$failed"
