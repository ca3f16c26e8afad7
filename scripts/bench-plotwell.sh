#!/bin/sh
# Benchmark of plotwell's plot core beside gnuplot doing the same work, in one run:
#   - a series of a million points as a line,
#   - the same points as bars,
#   - a grid map of 1000 x 1000 cells in ten classes,
# each from the xy call to the last call on the recording graphics device, and each drawn by gnuplot
# with its "unknown" terminal (the pure drawing cost) and with a PNG terminal.
#
#   scripts/bench-plotwell.sh            (BUILD_DIR=<folder> reuses a configured build folder,
#                                         POINTS=<n> changes the number of points, RUNS=<n> the runs)
# The release build goes to build-bench/ of the checkout; gnuplot-nox is installed with apt-get when
# gnuplot is missing.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
points=${POINTS:-1000000}
runs=${RUNS:-3}

if ! command -v gnuplot >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y --no-install-recommends gnuplot-nox ||
        { $sudo apt-get update && $sudo apt-get install -y --no-install-recommends gnuplot-nox; }
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target plotwell_bench -j 3 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

png=png
if gnuplot -e "set terminal" 2>&1 | grep -q pngcairo; then png=pngcairo; fi

# best_of <command...>: the fastest wall-clock seconds of $runs runs
best_of() {
    best=""
    i=0
    while [ "$i" -lt "$runs" ]; do
        t0=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        t1=$(date +%s.%N)
        s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
        if [ -z "$best" ] || awk -v a="$s" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$s; fi
        i=$((i + 1))
    done
    echo "$best"
}

# gnuplot_script <kind> <terminal line>: the gnuplot program for one kind
gnuplot_script() {
    echo "$2"
    echo "set output '$work/gnuplot.out'"
    echo "set xlabel 'x'"
    echo "set ylabel 'y'"
    case $1 in
    lines) echo "plot '$work/bench.dat' using 1:2 with lines title 'sin(x) + 0.1 sin(37x)'" ;;
    bars) echo "set style fill solid"
          echo "plot '$work/bench.dat' using 1:2 with boxes notitle" ;;
    map) echo "set palette maxcolors 10"
         echo "set cbrange [0:100]"
         echo "plot '$work/bench-matrix.dat' matrix with image notitle" ;;
    esac
}

printf '%-6s %10s %10s %16s %10s %10s\n' kind plotwell "gnuplot" "gnuplot" "ratio" "ratio"
printf '%-6s %10s %10s %16s %10s %10s\n' "" "seconds" "unknown" "$png" "/unknown" "/$png"
for kind in lines bars map; do
    ours=$("$build/plotwell/core/plotwell_bench" --kind "$kind" --points "$points" --runs "$runs" --folder "$work")
    ours_s=$(echo "$ours" | sed 's/.*seconds=//')
    gnuplot_script "$kind" "set terminal unknown" > "$work/unknown.gp"
    gnuplot_script "$kind" "set terminal $png size 1000,700" > "$work/png.gp"
    unknown_s=$(best_of gnuplot "$work/unknown.gp")
    png_s=$(best_of gnuplot "$work/png.gp")
    printf '%-6s %10s %10s %16s %10s %10s\n' "$kind" "$ours_s" "$unknown_s" "$png_s" \
        "$(awk -v a="$ours_s" -v b="$unknown_s" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk -v a="$ours_s" -v b="$png_s" 'BEGIN { printf "%.2f", a / b }')"
    echo "  $ours"
done
echo "points=$points runs=$runs (fastest run of each)"
