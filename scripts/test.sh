#!/usr/bin/env bash
# Builds everything and runs every test.
#   scripts/test.sh             normal build (build/), all tests
#   scripts/test.sh --sanitize  clang build with ASan/UBSan at -O1 and the fuzz targets (build-asan/);
#                               each fuzz target replays its seeds and fuzzes a few seconds
#                               (scripts/fuzz.sh fuzzes for longer)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

mode=normal
if [ "${1:-}" = "--sanitize" ]; then mode=sanitize; fi

jobs=$(nproc)
if [ "$mode" = sanitize ]; then
  dir=build-asan
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS_DEBUG="-g1 -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUELM_SANITIZE=ON -DQUELM_FUZZ=ON -DQUELM_BUILD_EXTRAS=OFF >/dev/null
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir=build
  cmake -S . -B "$dir" -G Ninja >/dev/null
fi
cmake --build "$dir" -j "$jobs"
cd "$dir"
ctest --output-on-failure -j "$jobs"
