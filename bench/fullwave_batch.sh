#!/usr/bin/env bash
# Full-wave runs of the command line timed side by side with an earlier
# build, and their numbers compared:
#
#   bench/fullwave_batch.sh QUAVEN [BEFORE_QUAVEN] [RUNS] [THREADS]
#
# The cases: the 81-point response of the reference horn (0.45 / 1.2 / 3 in)
# over 8-12 GHz with its default wall (a closed body, the CFIE) and with a
# thin wall (the EFIE), a long cone (0.45 / 2 / 12 in, 10 GHz, a steady
# phase centre being the hardest figure to keep), and the pattern of the
# reference horn at 10 GHz. Each is run RUNS times (default 3), alternating
# the programs; the median wall and CPU (user + system) seconds are printed,
# and with a second program the largest difference of every number of the
# JSON output, absolute and relative to the number. THREADS (default 1) is
# passed as QUAVEN_THREADS to both programs (the earlier one ignores it).
set -euo pipefail

new=$(realpath "$1")
before=${2:+$(realpath "$2")}
runs=${3:-3}
export QUAVEN_THREADS=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cases=(
  "response81_cfie|response --throat 0.45 --aperture 1.2 --slant 3 --freq-range 8 12 0.05 --full-wave --format json"
  "response81_efie|response --throat 0.45 --aperture 1.2 --slant 3 --freq-range 8 12 0.05 --full-wave --wall 0 --format json"
  "long_cone|response --throat 0.45 --aperture 2 --slant 12 --freq-range 10 10 1 --full-wave --format json"
  "pattern|pattern --throat 0.45 --aperture 1.2 --slant 3 --freq 10 --angles -180 180 1 --full-wave --format json"
)

# run TAG PROGRAM NAME ARGS: one timed run; appends "wall cpu" to NAME.TAG.times.
run() {
  local tag=$1 prog=$2 name=$3
  shift 3
  local start end
  start=$(date +%s.%N)
  TIMEFORMAT="%U %S"
  { time "$prog" "$@" > "$work/$name.$tag.json"; } 2> "$work/time"
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $(awk '{print $1 + $2}' "$work/time")" >> "$work/$name.$tag.times"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

printf '%-16s %8s %8s %10s %10s %9s\n' case wall_s cpu_s before_wall before_cpu cpu_ratio
for c in "${cases[@]}"; do
  name=${c%%|*}
  read -r -a args <<< "${c#*|}"
  for ((i = 1; i <= runs; ++i)); do
    [[ -n "$before" ]] && run before "$before" "$name" "${args[@]}"
    run new "$new" "$name" "${args[@]}"
  done
  w=$(cut -d' ' -f1 "$work/$name.new.times" | median)
  u=$(cut -d' ' -f2 "$work/$name.new.times" | median)
  if [[ -n "$before" ]]; then
    bw=$(cut -d' ' -f1 "$work/$name.before.times" | median)
    bu=$(cut -d' ' -f2 "$work/$name.before.times" | median)
    printf '%-16s %8.3f %8.3f %10.3f %10.3f %9.2f\n' "$name" "$w" "$u" "$bw" "$bu" "$(echo "$bu / $u" | bc -l)"
  else
    printf '%-16s %8.3f %8.3f\n' "$name" "$w" "$u"
  fi
done

[[ -z "$before" ]] && exit 0
echo
echo "largest differences, new against before (absolute, and relative to the number):"
/usr/bin/python3 - "$work" "${cases[@]%%|*}" <<'EOF'
import json, sys
work, names = sys.argv[1], sys.argv[2:]
for name in names:
    new = json.load(open(f"{work}/{name}.new.json"))["rows"]
    old = json.load(open(f"{work}/{name}.before.json"))["rows"]
    worst = {}
    for a, b in zip(new, old):
        for key, x in a.items():
            y = b.get(key)
            if isinstance(x, (int, float)) and isinstance(y, (int, float)):
                d = abs(x - y)
                r = d / max(abs(x), abs(y)) if d else 0.0
                wa, wr = worst.get(key, (0.0, 0.0))
                worst[key] = (max(wa, d), max(wr, r))
            elif x != y:
                print(f"  {name}: {key} differs: {x!r} against {y!r}")
    print(f"  {name} ({len(new)} rows):")
    for key, (d, r) in worst.items():
        if d:
            print(f"    {key:28s} {d:.2e}  {r:.2e}")
EOF
