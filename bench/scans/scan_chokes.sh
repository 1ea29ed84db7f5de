#!/bin/sh
# Frequency scans of a body with a deep groove for spurious resonances: the
# open-ended X-band guide of the reference horn (radius 0.45 in, the full
# wave's default guide 2.30349 in and wall 0.076783 in) in a flange of
# radius 1.4 in with one choke ring a quarter wavelength deep at 10 GHz
# (inner radius 0.71 in, width 0.35 in, depth 0.295 in); BODIES="one two"
# adds a second ring outside it (inner radius 1.14 in, width 0.2 in, depth
# 0.295 in). For each body: the program's own equation (the CFIE) and the EFIE over
# 9-11 GHz every 10 MHz, then the CFIE every 1 MHz over 40 MHz round every
# dip of the EFIE's reciprocal condition number. Writes the CSV files and
# chokes_summary.csv into OUT (default scan-chokes); some five minutes of
# one core a body.
#
#   bench/scans/scan_chokes.sh FULLWAVE_SCAN [OUT]
set -eu
scan=${1:?usage: scan_chokes.sh FULLWAVE_SCAN [OUT]}
out=${2:-scan-chokes}
here=$(dirname "$0")
py=/usr/bin/python3
mkdir -p "$out"
guide="0.45 0.45 inf 0.076783 2.30349"
ring1="choke=0.71,0.35,0.295,0.076783,0"
ring2="choke=1.14,0.2,0.295,0.076783,0"
for body in ${BODIES:-one}; do
  if [ "$body" = one ]; then parts="flange=1.4,0.076783 $ring1"; else parts="flange=1.4,0.076783 $ring1 $ring2"; fi
  nice "$scan" $guide 9 11 0.01 auto 20 $parts > "$out/${body}_cfie_10mhz.csv"
  nice "$scan" $guide 9 11 0.01 efie 20 $parts > "$out/${body}_efie_10mhz.csv"
  for f in $($py "$here/summarise_scan.py" --dips "$out/${body}_efie_10mhz.csv"); do
    at=$($py -c "print(f'{$f:.3f}')")
    lo=$($py -c "print(f'{$at - 0.02:.3f}')")
    hi=$($py -c "print(f'{$at + 0.02:.3f}')")
    [ -e "$out/${body}_cfie_${at}_1mhz.csv" ] && continue
    nice "$scan" $guide "$lo" "$hi" 0.001 auto 20 $parts > "$out/${body}_cfie_${at}_1mhz.csv"
  done
done
$py "$here/summarise_scan.py" "$out"/*.csv > "$out/chokes_summary.csv"
