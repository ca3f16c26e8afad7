#!/usr/bin/env bash
# Benchmark of the string grid against Qt's QTableView over a plain table model of strings and
# a QSortFilterProxyModel: fill, sorts, filters, jump to the end, paint and scroll.
#   scripts/bench-stringgrid.sh [rows] [repetitions]     (default 1000000 rows, 3 repetitions)
# Builds the benchmark as an optimised build in $STRINGGRID_BENCH_BUILD (default build-bench/ of
# the checkout, shared with the other benchmarks), then runs it; with BENCH_CPUS (e.g. "6,7")
# it runs on those cores only. The program prints a ratio only for operations whose results
# (rows kept, their order, first and last rows, the row shown) are the same on both sides, and
# exits non-zero otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
reps=${2:-3}
build=${STRINGGRID_BENCH_BUILD:-$PWD/build-bench}

command -v cmake >/dev/null 2>&1 && command -v ninja >/dev/null 2>&1 || scripts/install-deps.sh
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target grid_stringgrid_bench -j 3 >/dev/null
bench=$(find "$build" -name grid_stringgrid_bench -type f -perm -u+x | head -n 1)

export QT_QPA_PLATFORM=offscreen
if [ -n "${BENCH_CPUS:-}" ]; then
  exec taskset -c "$BENCH_CPUS" "$bench" "$rows" "$reps" 2>/dev/null
fi
exec "$bench" "$rows" "$reps" 2>/dev/null
