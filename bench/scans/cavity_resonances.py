#!/usr/bin/python3
"""Resonant frequencies of the cavity inside a horn's thick wall, for the
azimuthal harmonic m = 1 that a TE11 horn excites.

A wall of finite thickness w is a closed metal surface enclosing a thin shell
of air: the back plate, the guide wall, the cone wall, shut by the flat rim.
The electric-field integral equation has no unique solution at the resonant
frequencies of that enclosed cavity. For a gap much narrower than half a
wavelength the only resonances below ~c/(2w) are those of the parallel-plate
(TEM-like) wave with its electric field across the gap: its voltage
V(s) cos(phi) on the mid-surface (arc length s along the meridian, radius
rho(s)) obeys the Helmholtz equation of a surface of revolution,

    -(1/rho) d/ds (rho dV/ds) + (m/rho)^2 V = k^2 V,

with V = 0 on the axis (m = 1) and at the rim, where the end wall shorts the
gap. This script solves that Sturm-Liouville problem by second-order finite
differences on the mid-line of the wall and prints the resonant frequencies
in a band. It is an estimate (the mid-line model is exact to first order in
w / wavelength and ignores the fields' bending at the corners); its purpose is
to say where to scan finely.

usage: cavity_resonances.py THROAT APERTURE SLANT WALL GUIDE [FMIN FMAX]
       (lengths in inches, frequencies in GHz; default band 8-12 GHz)
"""
import math
import sys

import numpy as np
from scipy.linalg import eigh_tridiagonal

C = 299792458.0
INCH = 0.0254


def midline(b, a, slant, w, guide):
    """Corners (rho, z) of the mid-line of the wall, from the axis at the back
    plate to the rim, in metres (as the full-wave model's outline builds the
    wall: back plate of thickness w, guide, cone offset along its normal)."""
    pts = [(0.0, -0.5 * w), (b + 0.5 * w, -0.5 * w)]
    if a > b:
        s0 = a / slant
        c0 = math.sqrt(1.0 - s0 * s0)
        zap = guide + (a - b) * c0 / s0
        t = 0.5 * w * (1.0 - c0) / s0
        zc = guide - 0.5 * w * s0 + t * c0
        pts.append((b + 0.5 * w, zc))
        t_end = (zap - guide + 0.5 * w * s0) / c0
        pts.append((b + 0.5 * w * c0 + t_end * s0, zap))
    else:
        pts.append((b + 0.5 * w, guide))
    return pts


def resonances(pts, m=1, n=6000):
    seg = [math.hypot(q[0] - p[0], q[1] - p[1]) for p, q in zip(pts, pts[1:])]
    total = sum(seg)
    h = total / n
    s = np.arange(n + 1) * h

    def rho(x):
        acc = 0.0
        for (p, q), L in zip(zip(pts, pts[1:]), seg):
            if x <= acc + L or L == seg[-1]:
                u = min(max((x - acc) / L, 0.0), 1.0)
                return p[0] + u * (q[0] - p[0])
            acc += L
        return pts[-1][0]

    r_half = np.array([rho((i + 0.5) * h) for i in range(n)])  # at s_{i+1/2}
    r_node = np.array([rho(x) for x in s])
    # Unknowns V_1 .. V_{n-1} (V_0 = 0 on the axis, V_n = 0 at the rim):
    # (rho_{i-1/2}(V_i - V_{i-1}) - rho_{i+1/2}(V_{i+1} - V_i))/h^2
    #   + m^2/rho_i V_i = k^2 rho_i V_i, symmetrised by sqrt(rho_i).
    ri = r_node[1:n]
    diag = (r_half[0:n - 1] + r_half[1:n]) / h ** 2 + m * m / ri
    off = -r_half[1:n - 1] / h ** 2
    d = diag / ri
    e = off / np.sqrt(ri[:-1] * ri[1:])
    k2 = eigh_tridiagonal(d, e, eigvals_only=True, select='i', select_range=(0, 40))
    return np.sqrt(k2) * C / (2.0 * math.pi) * 1e-9


def main(argv):
    if len(argv) < 6:
        print(__doc__)
        return 2
    b, a, slant, w, guide = (float(x) * INCH for x in argv[1:6])
    fmin, fmax = (float(argv[6]), float(argv[7])) if len(argv) > 7 else (8.0, 12.0)
    pts = midline(b, a, slant, w, guide)
    f = resonances(pts)
    length = sum(math.hypot(q[0] - p[0], q[1] - p[1]) for p, q in zip(pts, pts[1:]))
    print(f"# mid-line {length * 1e3:.2f} mm; m = 1 cavity resonances in {fmin}-{fmax} GHz")
    for x in f:
        if fmin <= x <= fmax:
            print(f"{x:.4f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
