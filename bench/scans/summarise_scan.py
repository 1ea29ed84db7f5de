#!/usr/bin/python3
"""Summary of fullwave_scan CSV files: for each, the band, the step, the
range of the power balance, and the largest jumps between neighbouring
frequencies beyond the smooth trend, measured by second differences (a
smooth curve sampled at step h has second differences of order h^2 times
its curvature; a spurious resonance shows as an isolated large one):

  d2_s11   |S(f-h) - 2 S(f) + S(f+h)| of the complex reflection
  d2_s11db the same of |S11| in dB
  d2_gain  the same of the realised gain on the axis, dB
  d2_dir   the same of the directivity, dB

with the frequency where each peaks. A triple of frequencies across which
the mesh gains nodes (the unknowns change) is left out of those and counted
in mesh_d2_s11 and mesh_d2_gain_db instead: the small steps a frequency
sweep on a mesh that follows the wavelength takes.

and dips, the frequencies where the moment matrix's reciprocal condition
number has a local minimum below a third of its median over the 21 points
about it: where the equation is near a non-unique point.

usage: summarise_scan.py FILE.csv ...
       summarise_scan.py --dips FILE.csv   (prints the dips' frequencies, one
                                            a line)
"""
import csv
import sys


def read(path):
    with open(path) as f:
        rows = list(csv.DictReader(f))
    cols = {k: [r[k] for r in rows] for k in rows[0]}
    num = {k: [float(x) for x in v] for k, v in cols.items() if k != "formulation"}
    num["formulation"] = cols["formulation"][0]
    return num


def second(x, n, across=False):
    """|second differences| of x, zero where the unknowns n change within
    the triple (or, with across, zero where they do not)."""
    return [abs(x[i - 1] - 2 * x[i] + x[i + 1]) if (n[i - 1] != n[i + 1]) == across else 0.0
            for i in range(1, len(x) - 1)]


def peak(f, d):
    i = max(range(len(d)), key=lambda j: d[j])
    return d[i], f[i + 1]


def dips(s):
    r = s["rcond"]
    out = []
    for i in range(1, len(r) - 1):
        near = sorted(r[max(0, i - 10):i + 11])
        if r[i] < r[i - 1] and r[i] <= r[i + 1] and r[i] < near[len(near) // 2] / 3.0:
            out.append(s["frequency_ghz"][i])
    return out


def main(argv):
    if len(argv) > 2 and argv[1] == "--dips":
        for f in dips(read(argv[2])):
            print(f"{f:.6f}")
        return 0
    print("file,formulation,from_ghz,to_ghz,step_mhz,points,balance_min,balance_max,"
          "d2_s11,at_ghz,d2_s11db,at_ghz,d2_gain_db,at_ghz,d2_dir_db,at_ghz,mesh_d2_s11,mesh_d2_gain_db,"
          "rcond_min,rcond_max,dips_ghz")
    for path in argv[1:]:
        s = read(path)
        f = s["frequency_ghz"]
        cs = [complex(a, b) for a, b in zip(s["s11_re"], s["s11_im"])]
        parts = [path.split("/")[-1], s["formulation"], f"{f[0]:.4f}", f"{f[-1]:.4f}",
                 f"{(f[1] - f[0]) * 1e3:.3f}", str(len(f)),
                 f"{min(s['power_balance']):.5f}", f"{max(s['power_balance']):.5f}"]
        n = s["unknowns"]
        for series in (cs, s["s11_db"], s["axis_gain_db"], s["directivity_db"]):
            v, at = peak(f, second(series, n))
            parts += [f"{v:.3g}", f"{at:.4f}"]
        for series in (cs, s["axis_gain_db"]):
            parts.append(f"{max(second(series, n, True) + [0.0]):.3g}")
        parts += [f"{min(s['rcond']):.3g}", f"{max(s['rcond']):.3g}", " ".join(f"{x:.4f}" for x in dips(s))]
        print(",".join(parts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
