#!/usr/bin/env python3
"""Reference values for the numerical routines, computed with mpmath.

Writes into tests/data/:
  gauss_legendre.txt  n, j, abscissa, weight: the positive nodes of the
                      n-point Gauss-Legendre rule (nearest 0 first, j = 1..),
                      j = 0 for the centre node of an odd rule; each value
                      rounded to seven decimals as published tables print it.
  besj_ref.txt        nu, x, J_nu(x) for nu = 0, 1, 2 on a dense float grid.
  gami_ref.txt        x, 1/Gamma(x) on a float grid over -33 < x < 33.

Every x is a single-precision number written with nine significant digits,
so it reads back as exactly the float at which the reference was taken.
Needs mpmath. Run: python3 tests/numeric/gen_numeric_refs.py
"""
import os
import struct

import mpmath as mp

mp.mp.dps = 40
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
ORDERS = [3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32]


def f32(v):
    """The double equal to the float nearest v."""
    return struct.unpack("f", struct.pack("f", float(v)))[0]


def legendre_and_derivative(n, x):
    p0, p1 = mp.mpf(1), x
    for k in range(2, n + 1):
        p0, p1 = p1, ((2 * k - 1) * x * p1 - (k - 1) * p0) / k
    return p1, n * (x * p1 - p0) / (x * x - 1)


def gauss_legendre(n):
    """Positive nodes (ascending) with weights, and the centre weight or None."""
    nodes = []
    for i in range(1, n // 2 + 1):
        x = mp.cos(mp.pi * (i - mp.mpf(1) / 4) / (n + mp.mpf(1) / 2))
        for _ in range(100):
            p, dp = legendre_and_derivative(n, x)
            dx = p / dp
            x -= dx
            if abs(dx) < mp.mpf(10) ** -35:
                break
        p, dp = legendre_and_derivative(n, x)
        nodes.append((x, 2 / ((1 - x * x) * dp * dp)))
    nodes.sort()
    centre = None
    if n % 2:
        _, dp = legendre_and_derivative(n, mp.mpf(0))
        centre = 2 / (dp * dp)
    return nodes, centre


def seven(v):
    """v rounded to seven decimals."""
    return "%.7f" % (int(mp.nint(v * 10**7)) / mp.mpf(10**7))


def write_gauss():
    with open(os.path.join(OUT, "gauss_legendre.txt"), "w") as out:
        out.write("# n j abscissa weight (seven decimals; j = 0 is the centre node)\n")
        for n in ORDERS:
            nodes, centre = gauss_legendre(n)
            if centre is not None:
                out.write("%d 0 %s %s\n" % (n, "0.0000000", seven(centre)))
            for j, (x, w) in enumerate(nodes, 1):
                out.write("%d %d %s %s\n" % (n, j, seven(x), seven(w)))


def write_besj():
    xs = [f32(i / 20) for i in range(0, 401)]  # 0 to 20 by 0.05
    six = f32(6.0)
    above = struct.unpack("f", struct.pack("I", struct.unpack("I", struct.pack("f", six))[0] + 1))[0]
    below = struct.unpack("f", struct.pack("I", struct.unpack("I", struct.pack("f", six))[0] - 1))[0]
    xs += [below, above, f32(5.8), f32(5.85), f32(5.95), f32(6.05), f32(1e-3), f32(0.3141593)]
    xs = sorted(set(xs))
    with open(os.path.join(OUT, "besj_ref.txt"), "w") as out:
        out.write("# nu x J_nu(x)\n")
        for nu in (0, 1, 2):
            for x in xs:
                out.write("%d %.9g %s\n" % (nu, x, mp.nstr(mp.besselj(nu, mp.mpf(x)), 17)))


def write_gami():
    xs = [f32(i / 8 - 33) for i in range(1, 528)]  # -32.875 to 32.875 by 1/8
    xs += [f32(v) for v in (0.1, -0.1, 0.3, -0.7, 0.999, -0.999, 1.001, 7.3, -7.3, 19.9, -19.9,
                            31.99, -31.99, 1e-5, -1e-5)]
    xs = sorted(set(xs))
    with open(os.path.join(OUT, "gami_ref.txt"), "w") as out:
        out.write("# x 1/Gamma(x)\n")
        for x in xs:
            out.write("%.9g %s\n" % (x, mp.nstr(mp.rgamma(mp.mpf(x)), 17)))


if __name__ == "__main__":
    write_gauss()
    write_besj()
    write_gami()
