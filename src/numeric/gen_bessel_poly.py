#!/usr/bin/python3
"""Coefficients of the polynomials in src/numeric/bessel_poly.h.

J0(z) and J1(z)/z are even entire functions of z, so on 0 <= z <= 8 they are
smooth functions of t = z^2/32 - 1 on [-1, 1]. mpmath's chebyfit (40 digits)
gives the Chebyshev approximation of each as an ordinary polynomial in t;
the degrees are the least whose approximation error is below 1e-18, and the
script checks the double-precision evaluation (Estrin's scheme, as the header
does it) against mpmath's besselj over the interval (worst absolute error
printed, below 7e-16).

Run:  /usr/bin/python3 src/numeric/gen_bessel_poly.py
"""
import mpmath as mp

mp.mp.dps = 40
ZMAX = 8


def z_of(t):
    return mp.sqrt((t + 1) * ZMAX * ZMAX / 2)


def j0(t):
    return mp.besselj(0, z_of(t))


def j1z(t):
    z = z_of(t)
    return mp.mpf(1) / 2 if z == 0 else mp.besselj(1, z) / z


def estrin15(c, t):
    """c[0] t^15 + ... + c[15] in the order of operations of bessel_poly.h."""
    t2 = t * t
    t4 = t2 * t2
    t8 = t4 * t4
    a = [c[15 - 2 * i] + c[14 - 2 * i] * t for i in range(8)]
    b = [a[2 * i] + a[2 * i + 1] * t2 for i in range(4)]
    return (b[0] + b[1] * t4) + (b[2] + b[3] * t4) * t8


def evaluate(coefs, t):
    if len(coefs) == 16:
        return estrin15(coefs, t)
    t8 = ((t * t) * (t * t)) * ((t * t) * (t * t))
    return estrin15(coefs[1:], t) + coefs[0] * (t8 * t8)


for name, f, n in (("kJ0", j0, 17), ("kJ1z", j1z, 16)):
    poly, err = mp.chebyfit(f, [-1, 1], n, error=True)
    assert err < 1e-18, (name, err)
    coefs = [float(c) for c in poly]
    worst = 0.0
    for k in range(4001):
        z = ZMAX * k / 4000
        t = z * z / 32 - 1
        worst = max(worst, abs(evaluate(coefs, t) - float(f(mp.mpf(t)))))
    print("// %s: degree %d, worst absolute error in double %.2g" % (name, n - 1, worst))
    print("constexpr double %s[%d] = {%s};" % (name, n, ", ".join(repr(c) for c in coefs)))
