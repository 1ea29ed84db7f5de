#!/usr/bin/env bash
# The full-wave frequency response of the reference horn (throat 0.45 in,
# aperture 1.2 in, slant 3 in) over 8-12 GHz at 81 and 401 frequencies:
# CPU and wall time of the fast sweep, of the direct one and of an earlier
# program (which solves every frequency), run side by side; then the
# largest difference of the fast sweep's figures from the direct ones.
#
#   bench/fullwave_sweep.sh QUAVEN [BEFORE_QUAVEN] [POINTS...]
#
# POINTS defaults to "81 401". The 401-point direct runs take minutes.
set -euo pipefail

new=$(realpath "$1")
before=${2:+$(realpath "$2")}
shift $(( $# >= 2 ? 2 : 1 ))
points=${*:-81 401}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

horn=(--aperture 1.2 --slant 3 --full-wave --throat 0.45 --format csv)

# timed LABEL PROGRAM ARGS...: one run, its output in $work/LABEL.csv.
timed() {
  local label=$1
  shift
  local start end
  start=$(date +%s.%N)
  { TIMEFORMAT="%U %S"; time "$@" > "$work/$label.csv"; } 2> "$work/$label.time"
  end=$(date +%s.%N)
  read -r user sys < "$work/$label.time"
  printf '%-22s %8.2f s CPU  %8.2f s wall\n' "$label" "$(echo "$user + $sys" | bc -l)" "$(echo "$end - $start" | bc -l)"
}

for n in $points; do
  step=$(echo "4 / ($n - 1)" | bc -l)
  echo "== $n frequencies, 8-12 GHz"
  timed "fast-$n" "$new" response "${horn[@]}" --freq-range 8 12 "$step" --sweep fast
  timed "direct-$n" "$new" response "${horn[@]}" --freq-range 8 12 "$step" --sweep direct
  if [ -n "$before" ]; then
    timed "before-$n" "$before" response "${horn[@]}" --freq-range 8 12 "$step"
    cmp -s "$work/direct-$n.csv" "$work/before-$n.csv" && echo "direct sweep: same output as the earlier program" \
      || echo "direct sweep: output DIFFERS from the earlier program"
  fi
  /usr/bin/python3 - "$work/fast-$n.csv" "$work/direct-$n.csv" <<'PY'
import csv, sys
fast, direct = ([r for r in csv.DictReader(open(p))] for p in sys.argv[1:3])
limits = {"beamwidth": 0.02, "phase_centre": 0.005, "gain_db": 0.005}
worst = {}
for a, b in zip(fast, direct):
    for k in a:
        kind = next((t for t in limits if k.startswith(t)), None)
        if kind:
            worst[k] = max(worst.get(k, 0.0), abs(float(a[k]) - float(b[k])))
    s = abs(complex(float(a["s11_re"]), float(a["s11_im"])) - complex(float(b["s11_re"]), float(b["s11_im"])))
    worst["|dS11|"] = max(worst.get("|dS11|", 0.0), s)
noted = sum(1 for r in fast if "sweep_direct" in (r["notes"] or ""))
for k, v in worst.items():
    print(f"  max |fast - direct| {k:24s} {v:.5f}")
print(f"  rows solved directly about a feature (sweep_direct): {noted}")
PY
done
