#!/bin/sh
# Frequency scans of three thick-walled bodies of the reference horn (throat
# 0.45 in, aperture 1.2 in, slant 3 in, guide 2.21314 in; walls 0.073771 in,
# 2 mm and 3 mm) for spurious resonances. For each body:
#  - the program's own equation (the CFIE) and the EFIE over 8-12 GHz every
#    5 MHz;
#  - round every dip of the EFIE's reciprocal condition number (where it
#    nears a non-unique point, summarise_scan.py --dips) and every resonance
#    of the cavity inside the wall (cavity_resonances.py): the CFIE every
#    1 MHz over 40 MHz, and the EFIE and the CFIE every 0.1 MHz over 4 MHz
#    about the EFIE's dip.
# Writes the CSV files and summary.csv into OUT (default scan-out); some two
# hours of one core.
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
  nice "$scan" $horn 8 12 0.005 efie > "$out/${name}_efie_5mhz.csv"
  $py "$here/cavity_resonances.py" $horn > "$out/${name}_cavity.txt"
  for f in $($py "$here/summarise_scan.py" --dips "$out/${name}_efie_5mhz.csv") \
           $(grep -v '^#' "$out/${name}_cavity.txt"); do
    at=$($py -c "print(f'{$f:.3f}')")
    lo=$($py -c "print(f'{$at - 0.02:.3f}')")
    hi=$($py -c "print(f'{$at + 0.02:.3f}')")
    [ -e "$out/${name}_cfie_${at}_1mhz.csv" ] && continue
    nice "$scan" $horn "$lo" "$hi" 0.001 auto > "$out/${name}_cfie_${at}_1mhz.csv"
  done
  for f in $($py "$here/summarise_scan.py" --dips "$out/${name}_efie_5mhz.csv"); do
    lo=$($py -c "print(f'{$f - 0.006:.3f}')")
    hi=$($py -c "print(f'{$f + 0.006:.3f}')")
    nice "$scan" $horn "$lo" "$hi" 0.0005 efie > "$out/${name}_efie_${f}_500khz.csv"
    d=$($py "$here/summarise_scan.py" --dips "$out/${name}_efie_${f}_500khz.csv" | head -1)
    [ -n "$d" ] || d=$f
    lo=$($py -c "print(f'{$d - 0.002:.4f}')")
    hi=$($py -c "print(f'{$d + 0.002:.4f}')")
    for form in efie cfie; do
      nice "$scan" $horn "$lo" "$hi" 0.0001 $form > "$out/${name}_${form}_${f}_100khz.csv"
    done
  done
done
$py "$here/summarise_scan.py" "$out"/*.csv > "$out/summary.csv"
