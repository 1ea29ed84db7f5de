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

usage: summarise_scan.py FILE.csv ...
       summarise_scan.py --peak FILE.csv   (prints the frequency of the
                                            largest d2_s11 alone)
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


def main(argv):
    if len(argv) > 2 and argv[1] == "--peak":
        s = read(argv[2])
        cs = [complex(a, b) for a, b in zip(s["s11_re"], s["s11_im"])]
        print(f"{peak(s['frequency_ghz'], second(cs, s['unknowns']))[1]:.6f}")
        return 0
    print("file,formulation,from_ghz,to_ghz,step_mhz,points,balance_min,balance_max,"
          "d2_s11,at_ghz,d2_s11db,at_ghz,d2_gain_db,at_ghz,d2_dir_db,at_ghz,mesh_d2_s11,mesh_d2_gain_db")
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
        print(",".join(parts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
