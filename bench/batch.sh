#!/usr/bin/env bash
# Whole-program batch: the dialogue fed one design (10 GHz, 30 degrees at
# 3 dB, E plane) swept over S = 0.0001 .. 0.7 step 0.0001, then the
# 1.2 x 3 inch horn swept from 2 to 40 GHz step 0.001: about 45,000 table
# lines, each written to the terminal and the report as it is made.
#
#   bench/batch.sh QUAVEN [BEFORE_QUAVEN] [RUNS]
#
# Times RUNS runs (default 5) of each program, alternating, and prints each
# run's wall-clock, user and system seconds and the median wall-clock time.
# With a second program, also checks that both give byte-identical terminal
# output and report files, and prints the ratio of the medians.
set -euo pipefail

new=$(realpath "$1")
before=${2:+$(realpath "$2")}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s\n' batch.txt 2 '10 30' 3 1 '0.0001 0.7 0.0001' '1.2 3' '2 40 0.001' \
  '0 0 0' '0 0' '0 0 0' '0 0' > "$work/answers"

# run NAME PROGRAM: one timed run in its own directory; appends the wall time
# to $work/NAME.times.
run() {
  local dir="$work/$1"
  mkdir -p "$dir"
  rm -f "$dir/batch.txt"
  local start end
  start=$(date +%s.%N)
  (cd "$dir" && TIMEFORMAT="%U %S" && { time "$2" < "$work/answers" > terminal.txt; } 2> times.txt)
  end=$(date +%s.%N)
  local wall
  wall=$(echo "$end - $start" | bc -l)
  printf '%s run: %.3f s wall, %s s user, %s s system\n' "$1" "$wall" \
    "$(cut -d' ' -f1 "$dir/times.txt")" "$(cut -d' ' -f2 "$dir/times.txt")"
  echo "$wall" >> "$work/$1.times"
}

median() { sort -g "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for ((i = 1; i <= runs; ++i)); do
  [[ -n "$before" ]] && run before "$before"
  run new "$new"
done

echo "lines: $(wc -l < "$work/new/terminal.txt") on the terminal, $(wc -l < "$work/new/batch.txt") in the report"
m_new=$(median "$work/new.times")
echo "median wall time, new: $m_new s"
if [[ -n "$before" ]]; then
  m_before=$(median "$work/before.times")
  echo "median wall time, before: $m_before s"
  printf 'speed-up: %.2f\n' "$(echo "$m_before / $m_new" | bc -l)"
  cmp "$work/before/terminal.txt" "$work/new/terminal.txt" && cmp "$work/before/batch.txt" "$work/new/batch.txt" &&
    echo "terminal output and report file byte-identical"
fi
