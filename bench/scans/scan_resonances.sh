#!/bin/sh
# Frequency scans of three thick-walled bodies of the reference horn (throat
# 0.45 in, aperture 1.2 in, slant 3 in, guide 2.21314 in; walls 0.073771 in,
# 2 mm and 3 mm) for spurious resonances: the program's own formulation (the
# CFIE) over 8-12 GHz every 5 MHz, and the EFIE and the CFIE every 1 MHz from
# 50 MHz below to 150 MHz above each resonance of the cavity inside the wall
# (cavity_resonances.py), then every 0.1 MHz round the EFIE's largest jump in
# each window. Writes the CSV files and summary.csv into OUT (default
# scan-out); takes about half an hour of one core.
#
#   bench/scans/scan_resonances.sh BUILD_DIR [OUT]
set -eu
build=${1:?usage: scan_resonances.sh BUILD_DIR [OUT]}
out=${2:-scan-out}
here=$(dirname "$0")
scan="$build/bench/fullwave_scan"
py=/usr/bin/python3
mkdir -p "$out"
for body in "ref 0.073771" "2mm 0.0787402" "3mm 0.1181102"; do
  set -- $body
  name=$1 wall=$2
  horn="0.45 1.2 3 $wall 2.21314"
  nice "$scan" $horn 8 12 0.005 auto > "$out/${name}_cfie_5mhz.csv"
  i=0
  for f in $($py "$here/cavity_resonances.py" $horn | grep -v '^#'); do
    i=$((i + 1))
    lo=$($py -c "print(f'{round($f - 0.05, 3):.3f}')")
    hi=$($py -c "print(f'{round($f + 0.15, 3):.3f}')")
    for form in efie cfie; do
      nice "$scan" $horn "$lo" "$hi" 0.001 $form > "$out/${name}_${form}_win${i}_1mhz.csv"
    done
    p=$($py "$here/summarise_scan.py" --peak "$out/${name}_efie_win${i}_1mhz.csv")
    lo=$($py -c "print(f'{$p - 0.002:.4f}')")
    hi=$($py -c "print(f'{$p + 0.002:.4f}')")
    for form in efie cfie; do
      nice "$scan" $horn "$lo" "$hi" 0.0001 $form > "$out/${name}_${form}_win${i}_100khz.csv"
    done
  done
done
$py "$here/summarise_scan.py" "$out"/*.csv > "$out/summary.csv"
