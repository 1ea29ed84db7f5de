#!/usr/bin/env bash
# Exact-mode sweeps of the whole program, timed against an earlier build:
#   response  the 1.2 x 3 inch horn, 4 to 20 GHz step 0.001 (16,001 lines)
#   design    10 GHz, 30 degrees at 3 dB, E plane, S = 0.0001 .. 0.7 step 0.0001
#             (7,000 lines)
#   pattern   the same horn at 10 GHz, 0 to 180 degrees step 0.001 (180,001 angles)
# each as CSV to a file.
#
#   bench/exact_batch.sh QUAVEN [BEFORE_QUAVEN] [RUNS]
#
# Runs each sweep RUNS times (default 5) per program, the two programs
# alternating, and prints the median wall-clock and user+system seconds of
# each and, with a second program, the ratios of the medians (before / new).
set -euo pipefail

new=$(realpath "$1")
before=${2:+$(realpath "$2")}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A args=(
  [response]="response --exact --aperture 1.2 --slant 3 --freq-range 4 20 0.001 --format csv"
  [design]="design --exact --freq 10 --beamwidth 30 --s-range 0.0001 0.7 0.0001 --format csv"
  [pattern]="pattern --exact --aperture 1.2 --slant 3 --freq 10 --angles 0 180 0.001 --format csv"
)

# run WHO PROGRAM SWEEP: one timed run; appends "wall cpu" to $work/WHO.SWEEP.
run() {
  local start end cpu
  start=$(date +%s.%N)
  # shellcheck disable=SC2086
  cpu=$( { TIMEFORMAT="%U %S"; time "$2" ${args[$3]} > "$work/$1.$3.csv"; } 2>&1 | awk '{print $1 + $2}')
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $cpu" >> "$work/$1.$3"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for sweep in response design pattern; do
  for ((i = 1; i <= runs; ++i)); do
    [[ -n "$before" ]] && run before "$before" "$sweep"
    run new "$new" "$sweep"
  done
  lines=$(($(wc -l < "$work/new.$sweep.csv") - 1))
  nw=$(cut -d' ' -f1 "$work/new.$sweep" | median)
  nc=$(cut -d' ' -f2 "$work/new.$sweep" | median)
  printf '%-8s %6d lines  new: %.3f s wall, %.3f s cpu' "$sweep" "$lines" "$nw" "$nc"
  if [[ -n "$before" ]]; then
    bw=$(cut -d' ' -f1 "$work/before.$sweep" | median)
    bc_=$(cut -d' ' -f2 "$work/before.$sweep" | median)
    printf '  before: %.3f s wall, %.3f s cpu  ratio %.2f wall, %.2f cpu' "$bw" "$bc_" \
      "$(echo "$bw / $nw" | bc -l)" "$(echo "$bc_ / $nc" | bc -l)"
  fi
  echo
done
