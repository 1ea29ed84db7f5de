#!/usr/bin/python3
"""High-precision references for the TE11 aperture pattern and phase centre.

Evaluates, with mpmath's adaptive quadrature and Bessel functions at 30
digits, the far field of a circular TE11 aperture of radius a with a
quadratic phase lag reaching S cycles at the rim:

    E(theta) = g * int_0^1 FE(x) exp(-j psi(x)) dx,   likewise H with FH,
    g   = (1 + cos theta) pi^2 a / lambda,  psi = 2 pi S x^2,
    FE  = [2 J1'(u x) J1(chi x) + 2 J1'(chi x) chi x J1(u x)/(u x)] / 2,
    FH  = J1(chi x) J1(u x)/(u x) + J1'(chi x) J1'(u x) chi x,
    u   = 2 pi a |sin theta| / lambda,  chi = 1.84118,  lambda = 11.80285 / f.

The inputs (f, a, R, theta) are single-precision values, written with nine
significant digits so that reading them back as float gives the same
numbers. Run:  /usr/bin/python3 tests/legacy/gen_pattern_reference.py
It rewrites tests/data/te11_pattern.txt and tests/data/phase_centre.txt.
"""
import os
import struct

import mpmath as mp

mp.mp.dps = 30
CHI = mp.mpf("1.84118")
CLIGHT = mp.mpf("11.80285")
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")


def f32(v):
    """Round to the nearest single-precision value."""
    return struct.unpack("f", struct.pack("f", float(v)))[0]


def j1_over_z(z):
    return mp.mpf("0.5") if z == 0 else mp.besselj(1, z) / z


def dj1(z):
    return (mp.besselj(0, z) - mp.besselj(2, z)) / 2


def field(f, a, r, theta):
    """Complex E- and H-plane far field at theta (radians)."""
    f, a, theta = mp.mpf(f), mp.mpf(a), mp.mpf(theta)
    lam = CLIGHT / f
    s = mp.mpf(0) if mp.isinf(r) else a * a / (2 * lam * mp.mpf(r))
    u = 2 * mp.pi * a * abs(mp.sin(theta)) / lam
    g = (1 + mp.cos(theta)) * mp.pi**2 * a / lam

    def fe(x):
        return dj1(u * x) * mp.besselj(1, CHI * x) + dj1(CHI * x) * CHI * x * j1_over_z(u * x)

    def fh(x):
        return mp.besselj(1, CHI * x) * j1_over_z(u * x) + dj1(CHI * x) * dj1(u * x) * CHI * x

    def phase(x):
        return mp.expj(-2 * mp.pi * s * x * x)

    ie = mp.quad(lambda x: fe(x) * phase(x), [0, 1])
    ih = mp.quad(lambda x: fh(x) * phase(x), [0, 1])
    return g * ie, g * ih


def db(z):
    return 20 * mp.log10(abs(z))


def deg(z):
    return mp.degrees(mp.arg(z))


def num(v):
    return "inf" if mp.isinf(v) else "%.9g" % v


def pattern():
    horns = [  # f GHz, a in, R in  (S = 0, ~0.2, ~0.4, ~0.6)
        (10.0, 1.5, mp.inf),
        (10.0, 2.0, 8.5),
        (12.0, 3.0, 11.5),
        (8.0, 2.5, 3.5),
    ]
    angles = [0, 3, 8, 15, 25, 40, 60, 80]
    lines = [
        "# TE11 aperture far field, mpmath 30 digits (gen_pattern_reference.py).",
        "# f_ghz a_in r_in theta_rad  ampe_db amph_db phe_deg phh_deg  re_e im_e re_h im_h",
    ]
    for f, a, r in horns:
        for d in angles:
            th = f32(d * mp.pi / 180)
            e, h = field(f, a, r, th)
            vals = [db(e), db(h), deg(e), deg(h), e.real, e.imag, h.real, h.imag]
            lines.append(" ".join([num(f), num(a), num(r), num(th)] + ["%.10g" % v for v in vals]))
    return lines


def wrapped(p, q):
    d = p - q
    if d > 180:
        d -= 360
    elif d <= -180:
        d += 360
    return d


def phase_centre():
    cases = [  # f GHz, a in, R in, BE deg, BH deg
        (10.0, 2.0, 8.5, 40.0, 90.0),
        (12.0, 3.0, 11.5, 30.0, 35.0),
        (8.0, 2.5, 3.5, 50.0, 60.0),
        (10.0, 1.5, 6.0, 70.0, 80.0),
    ]
    lines = [
        "# Phase centres in wavelengths from the phase at 0, D, 2D, 3D, 4D,",
        "# D = sqrt(BE*BH)/8, mpmath 30 digits (gen_pattern_reference.py).",
        "# f_ghz a_in r_in be_deg bh_deg  pe ph",
    ]
    for f, a, r, be, bh in cases:
        step = mp.sqrt(mp.mpf(be) * bh) * mp.pi / 180 / 8
        prev = None
        sums = [mp.mpf(0), mp.mpf(0)]
        for i in range(5):
            e, h = field(f, a, r, i * step)
            cur = (deg(e), deg(h))
            if prev is not None:
                sums = [sums[k] + wrapped(cur[k], prev[k]) for k in range(2)]
            prev = cur
        pe = sums[0] / ((1 - mp.cos(mp.radians(be) / 2)) * 360)
        ph = sums[1] / ((1 - mp.cos(mp.radians(bh) / 2)) * 360)
        lines.append(" ".join([num(v) for v in (f, a, r, be, bh)] + ["%.10g" % pe, "%.10g" % ph]))
    return lines


def main():
    os.makedirs(DATA, exist_ok=True)
    for name, lines in (("te11_pattern.txt", pattern()), ("phase_centre.txt", phase_centre())):
        with open(os.path.join(DATA, name), "w") as out:
            out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
