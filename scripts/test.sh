#!/usr/bin/env bash
# Builds everything and runs every test.
#   scripts/test.sh             normal build (build/), all tests
#   scripts/test.sh --sanitize  clang build with ASan/UBSan at -O1 and the fuzz targets (build-asan/);
#                               each fuzz target starts from its seeds and tries a fixed number of
#                               mutations from a fixed random seed (scripts/fuzz.sh fuzzes for longer)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

mode=normal
if [ "${1:-}" = "--sanitize" ]; then mode=sanitize; fi

jobs=$(nproc)
if [ "$mode" = sanitize ]; then
  source scripts/sanitizer-build.sh
  dir=$sanitizer_dir
  configure_sanitizer_build
else
  dir=build
  cmake -S . -B "$dir" -G Ninja >/dev/null
fi
cmake --build "$dir" -j "$jobs"
cd "$dir"
ctest --output-on-failure -j "$jobs"
