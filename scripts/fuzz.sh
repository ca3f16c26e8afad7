#!/usr/bin/env bash
# Fuzzes every fuzz target (or the ones named) for longer than the test run does.
#   scripts/fuzz.sh [seconds per target, default 300] [target name...]
# Builds the sanitizer build (build-asan/) first. What a run finds stays in each target's corpus
# folder in build-asan/; a crash leaves its input (crash-*) in the current folder and stops the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
scripts/install-deps.sh
dir=build-asan
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUELM_SANITIZE=ON -DQUELM_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen LC_NUMERIC=C

# every fuzz test, with the command line that ctest would run
mapfile -t tests < <(cd "$dir" && ctest -N -L fuzz | sed -n 's/^ *Test *#[0-9]*: //p')
for t in "${tests[@]}"; do
  if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$t"; then continue; fi
  exe=$(find "$dir" -type f -perm -u+x -name "$t" | head -n 1)
  corpus=$(find "$dir" -type d -name "${t}_corpus" | head -n 1)
  seeds=$(find . -path ./build\* -prune -o -type d -name "${t}_seeds" -print | head -n 1)
  echo "== $t: $seconds s"
  "$exe" -max_total_time="$seconds" -rss_limit_mb=4096 "$corpus" ${seeds:+"$seeds"}
done
