#!/bin/sh
# Benchmark of plotwell's plot core: a series of a million points from the xy call to the last call
# on the recording graphics device, compared with gnuplot drawing the same data into a picture file.
#
#   scripts/bench-plotwell.sh            (BUILD_DIR=<folder> reuses a configured build folder,
#                                         POINTS=<n> changes the number of points, RUNS=<n> the runs)
# gnuplot is installed with apt-get when it is missing.
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
cmake --build "$build" --target plotwell_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

ours=$("$build/plotwell/core/plotwell_bench" --points "$points" --runs "$runs" --folder "$work")
echo "$ours"
ours_s=$(echo "$ours" | sed 's/.*seconds=//')

terminal=png
if gnuplot -e "set terminal" 2>&1 | grep -q pngcairo; then terminal=pngcairo; fi
cat > "$work/bench.gp" <<GP
set terminal $terminal size 1000,700
set output '$work/gnuplot.png'
set xlabel 'x'
set ylabel 'y'
plot '$work/bench.dat' using 1:2 with lines title 'sin(x) + 0.1 sin(37x)'
GP
best=""
i=0
while [ "$i" -lt "$runs" ]; do
    t0=$(date +%s.%N)
    gnuplot "$work/bench.gp"
    t1=$(date +%s.%N)
    s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v a="$s" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$s; fi
    i=$((i + 1))
done
echo "gnuplot ($terminal) points=$points seconds=$best"
awk -v a="$ours_s" -v b="$best" 'BEGIN { printf "ratio plotwell/gnuplot = %.2f\n", a / b }'
