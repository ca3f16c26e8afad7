#!/usr/bin/env bash
# Benchmark of rowsift against the equivalent awk program (mawk and gawk).
#   scripts/bench-rowsift.sh [rows]      (default 1000000 rows of an id and ten numbers)
# Builds rowsift as a release build (build folder $ROWSIFT_BENCH_BUILD, default build-bench/
# of the checkout, shared with the plotwell benchmark; or give the program in $ROWSIFT_EXE),
# installs mawk, gawk
# and GNU time when missing, generates the data file in a temporary folder, checks that
# rowsift and awk write the same table, and prints the times, their ratios and rowsift's
# peak memory for the full file and for a tenth of it (streaming: it should not grow).
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
build=${ROWSIFT_BENCH_BUILD:-$PWD/build-bench}

need=()
for p in mawk gawk time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

if [ -n "${ROWSIFT_EXE:-}" ]; then
  rowsift=$ROWSIFT_EXE   # an already built program
else
  command -v cmake >/dev/null 2>&1 && command -v ninja >/dev/null 2>&1 || scripts/install-deps.sh
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" --target rowsift -j 3 >/dev/null
  # the programs of the system are built into one program folder
  rowsift=$build/bin/rowsift
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mawk -v rows="$rows" -f rowsift/bench/generate-data.awk > "$work/data.txt"
mawk -v rows="$((rows / 10))" -f rowsift/bench/generate-data.awk > "$work/small.txt"
echo "data file: $rows rows, $(du -h "$work/data.txt" | cut -f1)"

export QT_QPA_PLATFORM=offscreen ROWSIFT_NO_MESSAGE_BOX=1 TMP="$work"

# run <label> <output> <command...>: prints nothing, leaves "seconds kilobytes" in $work/<label>.time
run() {
  local label=$1 out=$2; shift 2
  /usr/bin/time -f "%e %M" -o "$work/$label.time" "$@" > "$out"
}

ROWSIFT_BENCH_DATA="$work/small.txt" run rowsift-small /dev/null "$rowsift" rowsift/bench/bench.set -o "$work/small.out"
ROWSIFT_BENCH_DATA="$work/data.txt" run rowsift /dev/null "$rowsift" rowsift/bench/bench.set -o "$work/rowsift.out"
run mawk "$work/mawk.out" mawk -f rowsift/bench/bench.awk "$work/data.txt"
run gawk "$work/gawk.out" gawk -f rowsift/bench/bench.awk "$work/data.txt"

for a in mawk gawk; do
  if cmp -s "$work/rowsift.out" "$work/$a.out"; then echo "output: rowsift and $a agree"; else echo "output: rowsift and $a DIFFER"; fi
done

read -r t_r m_r < "$work/rowsift.time"
read -r t_rs m_rs < "$work/rowsift-small.time"
read -r t_m m_m < "$work/mawk.time"
read -r t_g m_g < "$work/gawk.time"
printf '%-28s %8s s  %9s KiB peak\n' "rowsift ($rows rows)" "$t_r" "$m_r"
printf '%-28s %8s s  %9s KiB peak\n' "rowsift ($((rows / 10)) rows)" "$t_rs" "$m_rs"
printf '%-28s %8s s  %9s KiB peak\n' "mawk" "$t_m" "$m_m"
printf '%-28s %8s s  %9s KiB peak\n' "gawk" "$t_g" "$m_g"
awk -v r="$t_r" -v m="$t_m" -v g="$t_g" 'BEGIN {
  printf "ratio rowsift/mawk: %.2f   rowsift/gawk: %.2f\n", (m > 0 ? r / m : 0), (g > 0 ? r / g : 0) }'
