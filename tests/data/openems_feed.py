#!/usr/bin/python3
"""Kildal's dish-feed figures of the openEMS horns and open-ended guide, from their cuts.

Reads openems_horns.txt (geometry, frequency) and openems_horn_<n>.txt (the
E- and H-plane co-polar amplitude and phase over 0 to 180 degrees, phase
referred to the centre of the aperture plane) beside this script, and writes
openems_feed.txt: for each horn on paraboloids of f/D = 0.4 (deep, where
these horns over-taper) and 1.0 (about the dish they suit), the aperture
efficiency at the best focus and its factors, the efficiency with the
aperture centre at the focus, that best focus (wavelengths behind the
aperture), the E- and H-plane edge tapers and the 45-degree-plane peak
cross-polar level.

With A and B the E- and H-plane fields, CO = (A + B)/2, XP = (A - B)/2 and
theta0 = 2 atan(1/(4 f/D)) (Kildal, IEEE Trans. Antennas Propag. 33(8), 1985):
  eta_ap    = 2 cot^2(theta0/2) |int_0^theta0 CO tan(theta/2)|^2 / int_0^pi (|CO|^2 + |XP|^2) sin
  eta_spill = int_0^theta0 (|CO|^2 + |XP|^2) sin / int_0^pi (|CO|^2 + |XP|^2) sin
  eta_pol   = int_0^theta0 |CO|^2 sin / int_0^theta0 (|CO|^2 + |XP|^2) sin
  eta_ill   = 2 cot^2(theta0/2) (int_0^theta0 |CO| tan(theta/2))^2 / int_0^theta0 |CO|^2 sin
  eta_phi   = eta_ap / (eta_spill eta_pol eta_ill)
the focus z wavelengths behind the aperture multiplying CO by
exp(j 2 pi z cos theta), searched from 3 wavelengths in front of the aperture
to the cone's apex (at most 60 wavelengths behind it). The cuts, sampled
every 0.5 degrees, are interpolated by cubic splines of their real and
imaginary parts and integrated by a dense trapezoidal rule; the peak
cross-polar level is read from the file's own 45-degree cuts, which the FDTD
far-field transform gave independently of the principal planes.

    /usr/bin/python3 openems_feed.py
"""
import math
import os

import numpy as np
from scipy.interpolate import CubicSpline
from scipy.optimize import minimize_scalar

HERE = os.path.dirname(os.path.abspath(__file__))
F_OVER_D = (0.4, 1.0)
C0 = 299792458.0


def load(n):
    d = np.loadtxt(os.path.join(HERE, "openems_horn_%d.txt" % n))
    th = np.radians(d[:, 0])
    a = 10 ** (d[:, 1] / 20) * np.exp(1j * np.radians(d[:, 2]))
    b = 10 ** (d[:, 3] / 20) * np.exp(1j * np.radians(d[:, 4]))
    return th, a, b, d[:, 5], d[:, 6]


def spline(th, v):
    re, im = CubicSpline(th, v.real), CubicSpline(th, v.imag)
    return lambda t: re(t) + 1j * im(t)


def trap(y, x):
    return np.sum(0.5 * (y[1:] + y[:-1]) * np.diff(x))


def judge(n, ghz, a_mm, r_mm, f_over_d):
    th, a, b, co45, xp45 = load(n)
    fa, fb = spline(th, a), spline(th, b)
    t0 = 2 * math.atan(1 / (4 * f_over_d))
    lam = C0 / (ghz * 1e9) * 1e3
    apex = math.sqrt(r_mm ** 2 - a_mm ** 2) / lam
    inner = np.linspace(0.0, t0, 40001)
    whole = np.linspace(0.0, math.pi, 80001)
    co_i = 0.5 * (fa(inner) + fb(inner))
    xp_i = 0.5 * (fa(inner) - fb(inner))
    co_w = 0.5 * (fa(whole) + fb(whole))
    xp_w = 0.5 * (fa(whole) - fb(whole))
    p_all = trap((abs(co_w) ** 2 + abs(xp_w) ** 2) * np.sin(whole), whole)
    p_in = trap((abs(co_i) ** 2 + abs(xp_i) ** 2) * np.sin(inner), inner)
    p_co = trap(abs(co_i) ** 2 * np.sin(inner), inner)
    i_abs = trap(abs(co_i) * np.tan(inner / 2), inner)
    cot2 = 2 / math.tan(t0 / 2) ** 2

    def eta(z):
        i = trap(co_i * np.tan(inner / 2) * np.exp(2j * math.pi * z * np.cos(inner)), inner)
        return cot2 * abs(i) ** 2 / p_all

    lo, hi = -3.0, min(60.0, apex)
    zs = np.arange(lo, hi + 1e-9, 0.01)
    k = int(np.argmax([eta(z) for z in zs]))
    res = minimize_scalar(lambda z: -eta(z), bounds=(zs[max(k - 1, 0)], zs[min(k + 1, len(zs) - 1)]),
                          method="bounded", options={"xatol": 1e-7})
    z = res.x
    ap = eta(z)
    spill, pol, ill = p_in / p_all, p_co / p_in, cot2 * i_abs ** 2 / p_co
    space = 20 * math.log10((1 + math.cos(t0)) / 2)
    taper_e = 20 * math.log10(abs(fa(t0)) / abs(fa(0.0))) + space
    taper_h = 20 * math.log10(abs(fb(t0)) / abs(fb(0.0))) + space
    xpol = float(np.max(xp45) - np.max(co45))
    return [ap, spill, ill, ap / (spill * pol * ill), pol, eta(0.0), z, taper_e, taper_h, xpol]


def main():
    horns = [l.split() for l in open(os.path.join(HERE, "openems_horns.txt")) if l.strip() and l[0] != "#"]
    out = ["# Dish-feed figures of the openEMS horns (openems_feed.py)",
           "# horn f_over_d aperture spillover illumination phase polarisation at_plane focus_wl taper_e_db taper_h_db xpol45_db"]
    for h in horns:
        n, ghz, a_mm, r_mm = int(h[0]), float(h[1]), float(h[4]), float(h[5])
        for fd in F_OVER_D:
            v = judge(n, ghz, a_mm, r_mm, fd)
            out.append("%d %.1f " % (n, fd) + " ".join("%.5f" % x for x in v))
    with open(os.path.join(HERE, "openems_feed.txt"), "w") as f:
        f.write("\n".join(out) + "\n")
    print("\n".join(out))


if __name__ == "__main__":
    main()
