#!/usr/bin/env bash
# Fuzzes every fuzz target (or the ones named) with fresh randomness, all at once on the machine's
# cores, for about MINUTES in all.
#   scripts/fuzz.sh [MINUTES, default 10] [target name...]
# Builds the sanitizer build (build-asan/, configured as scripts/test.sh --sanitize does) first.
# Each target keeps going after a finding; what it finds stays in build-asan/fuzz/<target>/:
#   corpus/    inputs that reached new code (kept between runs, the next run starts from them)
#   crash-*, leak-*, timeout-*, oom-*, slow-unit-*   the inputs of each finding
#   log        the fuzzer's output, with the sanitizer's report of each finding
# The script ends with a list of the targets that found something, and fails if any did.
# An input that shows a fault belongs in the target's fuzz/<target>_seeds/ once the fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
shift || true
case "$minutes" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [MINUTES] [target...]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
source scripts/sanitizer-build.sh
dir=$sanitizer_dir
configure_sanitizer_build
cmake --build "$dir" -j "$(nproc)"

mapfile -t all < <(cd "$dir" && ctest -N -L fuzz | sed -n 's/^ *Test *#[0-9]*: //p')
targets=()
for t in "${all[@]}"; do
  if [ $# -eq 0 ] || printf '%s\n' "$@" | grep -qx "$t"; then targets+=("$t"); fi
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz target of that name; the targets are: ${all[*]}" >&2
  exit 2
fi

# Every core fuzzes: with fewer targets than cores each target runs several workers; with more,
# the targets take turns, each for its share of the time.
cores=$(nproc)
count=${#targets[@]}
workers=$((cores / count > 0 ? cores / count : 1))
seconds=$((minutes * 60))
if [ "$count" -gt "$cores" ]; then seconds=$((minutes * 60 * cores / count)); fi
if [ "$seconds" -lt 10 ]; then seconds=10; fi
echo "fuzzing ${count} targets, ${seconds} s each with ${workers} worker(s), ${cores} at a time"

export QT_QPA_PLATFORM=offscreen LC_NUMERIC=C QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu
out=$PWD/$dir/fuzz
fuzz_one() {
  local t=$1 exe seeds
  exe=$(find "$dir" -type f -perm -u+x -name "$t" | head -n 1)
  seeds=$(find . -path ./build\* -prune -o -type d -name "${t}_seeds" -print | head -n 1)
  mkdir -p "$out/$t/corpus"
  echo "== $t"
  # a single input that takes longer than 25 s counts as a finding (timeout-*)
  "$exe" -fork="$workers" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 -timeout=25 \
    -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$out/$t/" \
    "$out/$t/corpus" ${seeds:+"$seeds"} >"$out/$t/log" 2>&1 || true
}
export -f fuzz_one
export dir out workers seconds
printf '%s\n' "${targets[@]}" | xargs -P "$cores" -I{} bash -c 'fuzz_one {}'

found=0
for t in "${targets[@]}"; do
  n=$(find "$out/$t" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  if [ "$n" -gt 0 ]; then
    echo "$t: $n finding(s) in $out/$t (see its log)"
    found=1
  fi
done
if [ "$found" -eq 0 ]; then echo "no findings"; fi
exit "$found"
