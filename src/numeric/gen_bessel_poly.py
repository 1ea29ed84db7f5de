#!/usr/bin/python3
"""Coefficients of the polynomials in src/numeric/bessel_poly.h.

J0(z) and J1(z)/z are even entire functions of z, so on 0 <= z <= zmax they
are smooth functions of t = 2 z^2/zmax^2 - 1 on [-1, 1] (zmax = 8, and 4 for
the shorter pair). mpmath's chebyfit (40 digits) gives the Chebyshev
approximation of each as an ordinary polynomial in t; the degrees are the
least whose approximation error is below 1e-17, and the
script checks the double-precision evaluation (Estrin's scheme, as the header
does it) against mpmath's besselj over the interval (worst absolute error
printed, below 7e-16).

Run:  /usr/bin/python3 src/numeric/gen_bessel_poly.py
"""
import mpmath as mp

mp.mp.dps = 40


def j0(zmax):
    return lambda t: mp.besselj(0, mp.sqrt((t + 1) * zmax * zmax / 2))


def j1z(zmax):
    def f(t):
        z = mp.sqrt((t + 1) * zmax * zmax / 2)
        return mp.mpf(1) / 2 if z == 0 else mp.besselj(1, z) / z
    return f


def estrin(c, t):
    """c[0] t^n + ... + c[n] (n = 11 or 15) in the order of bessel_poly.h."""
    t2 = t * t
    t4 = t2 * t2
    t8 = t4 * t4
    n = len(c) - 1
    a = [c[n - 2 * i] + c[n - 1 - 2 * i] * t for i in range(len(c) // 2)]
    b = [a[2 * i] + a[2 * i + 1] * t2 for i in range(len(a) // 2)]
    if len(b) == 4:
        return (b[0] + b[1] * t4) + (b[2] + b[3] * t4) * t8
    return (b[0] + b[1] * t4) + b[2] * t8


def evaluate(coefs, t):
    if len(coefs) % 2 == 0:
        return estrin(coefs, t)
    t8 = ((t * t) * (t * t)) * ((t * t) * (t * t))
    return estrin(coefs[1:], t) + coefs[0] * (t8 * t8)


# name, function, number of coefficients, end of the interval in z
for name, f, n, zmax in (("kJ0", j0(8), 17, 8), ("kJ1z", j1z(8), 16, 8),
                         ("kJ0Small", j0(4), 12, 4), ("kJ1zSmall", j1z(4), 12, 4)):
    poly, err = mp.chebyfit(f, [-1, 1], n, error=True)
    assert err < 1e-17, (name, err)
    coefs = [float(c) for c in poly]
    worst = 0.0
    for k in range(4001):
        z = zmax * k / 4000
        t = z * z / (zmax * zmax / 2) - 1
        worst = max(worst, abs(evaluate(coefs, t) - float(f(mp.mpf(t)))))
    print("// %s: degree %d on 0 <= z <= %d, worst absolute error in double %.2g" % (name, n - 1, zmax, worst))
    print("constexpr double %s[%d] = {%s};" % (name, n, ", ".join(repr(c) for c in coefs)))
