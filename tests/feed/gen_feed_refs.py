#!/usr/bin/python3
"""Two-dimensional references for a conical TE11 horn feeding a paraboloid.

The horn's E- and H-plane far fields A(theta), B(theta) come from this
script's own evaluation of the TE11 aperture integral (scipy's Bessel
functions and their derivatives, jv and jvp, on a 128-point Gauss-Legendre
rule in x = rho/a; checked here against a 256-point rule):

    A = (1 + cos t)/2 int_0^1 [J1'(ux) J1(chi x) + chi x J1'(chi x) J1(ux)/(ux)] e^{-j 2 pi S x^2} dx
    B = (1 + cos t)/2 int_0^1 [J1(chi x) J1(ux)/(ux) + chi x J1'(chi x) J1'(ux)] e^{-j 2 pi S x^2} dx
    u = 2 pi aw sin t,   feed field E = A cos(phi) t^ - B sin(phi) phi^ .

The dish is then done in two dimensions, by geometrical optics, without the
one-dimensional efficiency formulas:
  * focal length F = 1e8 wavelengths (large, so that the exact path from the
    displaced feed is used, not its linearisation d cos t; the direction from
    the displaced phase point differs from the focal one by d/F < 1e-6 rad,
    so the patterns are taken at the focal angle);
  * the horn's aperture centre at P = d z^, d wavelengths from the focus
    towards the vertex (the focus d behind the aperture);
  * each ray from P to the dish point Q (focal angle t, r = 2F/(1 + cos t),
    azimuth phi) carries E/|Q - P| with phase e^{-jk(|Q - P| - r)} (the rest
    of the path is the same for every ray); the vector field is reflected
    at the surface, E_r = 2 (n.E) n - E, n = cos(t/2) r^ - sin(t/2) t^,
    and gives the aperture field at rho = 2F tan(t/2);
  * the aperture integrals over rho (Gauss-Legendre, 2000 nodes) and phi
    (64 equally spaced points); the feed power over the sphere likewise.

Figures, per horn and f/D (theta0 = 2 atan(1/(4 f/D))):
  eta_ap      |int E_x dA|^2 / (pi R^2 P_feed), at the best d
  spill       feed power inside theta0 / P_feed (2-D over the sphere)
  pol         int |<E_x>|^2 dA / int |E|^2 dA, <E_x>(rho) the azimuthal mean
              of the aperture field's x component (the uniformly polarised
              part of the aperture field)
  ill         (int |<E_x>| dA)^2 / (pi R^2 int |<E_x>|^2 dA)
  phase       |int <E_x> dA|^2 / (int |<E_x>| dA)^2
  eta_plane   eta_ap at d = 0
  focus       the d in [-3, min(60, apex distance)] with the largest eta_ap
              (a scan at 0.05 wavelengths refined by scipy's bounded Brent)
  taper_e/h   20 log10 of the aperture field at the rim (phi = 0 / 90 deg)
              over its value at the centre, with d = 0
  xp45        peak over 0..180 deg of the Ludwig-3 cross-polar component
              at phi = 45 deg over the peak of the co-polar one, dB (the
              3-D field projected on the unit vectors, scan at 0.05 deg
              refined by bounded Brent)
The script also checks that the aperture holds the power the dish
intercepts (geometrical optics conserves it), that the reflected field has
no axial component, and that the four factors multiply to eta_ap.

Run:  /usr/bin/python3 tests/feed/gen_feed_refs.py   (a few minutes)
"""
import os

import numpy as np
from numpy.polynomial.legendre import leggauss
from scipy import optimize, special

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "feed_refs.txt")
CHI = special.jnp_zeros(1, 1)[0]
K = 2 * np.pi
F = 1e8
NRHO, NPHI, NTH = 2000, 64, 512

# (aperture radius / wavelength, phase deviation S in cycles, f/D)
CASES = [
    (0.46, 0.0, 0.4),   # open-ended guide, near the best for f/D = 0.4
    (1.0, 0.1, 0.4),
    (1.6, 0.4, 0.6),
    (2.2, 0.6, 1.0),
    (3.0, 0.2, 0.3),    # rim among the sidelobes: several focus maxima
]


def patterns(aw, s, t, nx=128):
    t = np.atleast_1d(np.asarray(t, dtype=float))
    x, w = leggauss(nx)
    x = (x + 1) / 2
    w = w / 2
    u = K * aw * np.abs(np.sin(t))
    z = u[:, None] * x[None, :]
    with np.errstate(invalid="ignore", divide="ignore"):
        lam = np.where(z == 0, 0.5, special.jv(1, z) / np.where(z == 0, 1, z))
    d1 = special.jvp(1, z)
    j1c = special.jv(1, CHI * x)
    cd = CHI * x * special.jvp(1, CHI * x)
    ph = w * np.exp(-2j * np.pi * s * x * x)
    a = (d1 * j1c + cd * lam) @ ph
    b = (j1c * lam + cd * d1) @ ph
    ob = (1 + np.cos(t)) / 2
    return ob * a, ob * b


def check_patterns(aw, s):
    t = np.linspace(0, np.pi, 37)
    a1, b1 = patterns(aw, s, t)
    a2, b2 = patterns(aw, s, t, 256)
    err = max(np.max(np.abs(a1 - a2)), np.max(np.abs(b1 - b2))) / abs(a2[0])
    assert err < 1e-12, err


def unit_vectors(t, p):
    st, ct, sp, cp = np.sin(t), np.cos(t), np.sin(p), np.cos(p)
    rhat = np.stack([st * cp, st * sp, ct * np.ones_like(p)])
    that = np.stack([ct * cp, ct * sp, -st * np.ones_like(p)])
    phat = np.stack([-sp, cp, np.zeros_like(p * t)])
    return rhat, that, phat


class Dish:
    def __init__(self, aw, s, fd):
        self.aw, self.s, self.fd = aw, s, fd
        self.t0 = 2 * np.arctan(1 / (4 * fd))
        self.R = 2 * F * np.tan(self.t0 / 2)
        xr, wr = leggauss(NRHO)
        self.rho = self.R * (xr + 1) / 2
        self.wr = self.R / 2 * wr * self.rho  # rho d rho
        self.phi = 2 * np.pi * np.arange(NPHI) / NPHI
        self.wp = 2 * np.pi / NPHI
        t = 2 * np.arctan(self.rho / (2 * F))
        self.t = t
        self.A, self.B = patterns(aw, s, t)
        T, P = np.meshgrid(t, self.phi, indexing="ij")
        self.T, self.P = T, P
        self.r = 2 * F / (1 + np.cos(T))
        self.rhat, self.that, self.phat = unit_vectors(T, P)
        self.n = np.cos(T / 2) * self.rhat - np.sin(T / 2) * self.that
        self.Q = self.r * self.rhat
        # Feed power over the sphere and inside the rim.
        self.p_all, self.p_in = self.sphere_power()

    def sphere_power(self):
        parts = []
        for lo, hi in ((0.0, self.t0), (self.t0, np.pi)):
            x, w = leggauss(NTH)
            t = lo + (hi - lo) * (x + 1) / 2
            wt = (hi - lo) / 2 * w * np.sin(t)
            a, b = patterns(self.aw, self.s, t)
            cp, sp = np.cos(self.phi), np.sin(self.phi)
            dens = np.abs(a[:, None] * cp[None, :]) ** 2 + np.abs(b[:, None] * sp[None, :]) ** 2
            parts.append(np.sum(wt[:, None] * dens) * self.wp)
        return parts[0] + parts[1], parts[0]

    def aperture_field(self, d):
        """Reflected aperture field (3, nrho, nphi) with the phase point at d."""
        cp, sp = np.cos(self.P), np.sin(self.P)
        e = self.A[:, None] * cp * self.that - self.B[:, None] * sp * self.phat
        # |Q - P| - r without cancellation: (d^2 - 2 r d cos t) / (|Q - P| + r).
        qp = np.sqrt(self.Q[0] ** 2 + self.Q[1] ** 2 + (self.Q[2] - d) ** 2)
        delta = (d * d - 2 * self.r * d * np.cos(self.T)) / (qp + self.r)
        e = e * (np.exp(-1j * K * delta) / qp)
        ndote = np.sum(self.n * e, axis=0)
        return 2 * ndote * self.n - e

    def figures(self, d):
        ea = self.aperture_field(d)
        ex = ea[0]
        area = np.pi * self.R ** 2
        total = np.sum(self.wr[:, None] * ex) * self.wp
        eta = abs(total) ** 2 / (area * self.p_all)
        p_ap = np.sum(self.wr[:, None] * np.sum(np.abs(ea) ** 2, axis=0)) * self.wp
        mean = np.mean(ex, axis=1)  # azimuthal mean at each rho
        p_mean = 2 * np.pi * np.sum(self.wr * np.abs(mean) ** 2)
        i_abs = 2 * np.pi * np.sum(self.wr * np.abs(mean))
        i_mean = 2 * np.pi * np.sum(self.wr * mean)
        return dict(
            eta=eta,
            spill=self.p_in / self.p_all,
            pol=p_mean / p_ap,
            ill=i_abs ** 2 / (area * p_mean),
            phase=abs(i_mean) ** 2 / i_abs ** 2,
            p_ap=p_ap,
            axial=np.max(np.abs(ea[2])) / np.max(np.abs(ea)),
        )

    def best_focus(self):
        back = 60.0
        if self.s > 0:
            rs = self.aw ** 2 / (2 * self.s)
            back = min(back, np.sqrt(max(rs * rs - self.aw ** 2, 0.0)))
        zs = np.arange(-3.0, back + 1e-12, 0.05)
        if zs[-1] < back:
            zs = np.append(zs, back)
        v = np.array([self.figures(z)["eta"] for z in zs])
        k = int(np.argmax(v))
        lo, hi = zs[max(k - 1, 0)], zs[min(k + 1, len(zs) - 1)]
        res = optimize.minimize_scalar(lambda z: -self.figures(z)["eta"], bounds=(lo, hi),
                                       method="bounded", options={"xatol": 1e-9})
        return (res.x, -res.fun) if -res.fun >= v[k] else (zs[k], v[k])

    def tapers(self):
        ea0 = self.single_ray(0.0, 0.0)
        out = []
        for phi in (0.0, np.pi / 2):
            er = self.single_ray(self.t0, phi)
            out.append(20 * np.log10(np.linalg.norm(er) / np.linalg.norm(ea0)))
        return out

    def single_ray(self, t, phi):
        a, b = patterns(self.aw, self.s, [t])
        t_ = np.array(t)
        p_ = np.array(phi)
        rhat, that, phat = unit_vectors(t_, p_)
        e = (a[0] * np.cos(phi) * that - b[0] * np.sin(phi) * phat) / (2 * F / (1 + np.cos(t)))
        n = np.cos(t / 2) * rhat - np.sin(t / 2) * that
        return 2 * np.dot(n, e) * n - e

    def cross_pol(self):
        phi = np.pi / 4

        def comps(t):
            a, b = patterns(self.aw, self.s, t)
            t = np.atleast_1d(t)
            p = np.full_like(t, phi)
            _, that, phat = unit_vectors(t, p)
            e = a * np.cos(phi) * that - b * np.sin(phi) * phat
            co_hat = np.cos(phi) * that - np.sin(phi) * phat
            xp_hat = np.sin(phi) * that + np.cos(phi) * phat
            return np.abs(np.sum(e * co_hat, axis=0)), np.abs(np.sum(e * xp_hat, axis=0))

        t = np.radians(np.arange(0, 180.0, 0.05))
        co, xp = comps(t)
        peaks = []
        for idx, vals in ((0, co), (1, xp)):
            k = int(np.argmax(vals))
            lo, hi = t[max(k - 1, 0)], t[min(k + 1, len(t) - 1)]
            res = optimize.minimize_scalar(lambda x: -comps(np.array([x]))[idx][0], bounds=(lo, hi),
                                           method="bounded", options={"xatol": 1e-10})
            peaks.append(max(-res.fun, vals[k]))
        return 20 * np.log10(peaks[1] / peaks[0])


def main():
    rows = []
    for aw, s, fd in CASES:
        check_patterns(aw, s)
        dish = Dish(aw, s, fd)
        z, _ = dish.best_focus()
        f = dish.figures(z)
        f0 = dish.figures(0.0)
        # Geometrical optics carries the intercepted power into the aperture
        # (to within d/F, the displaced feed's rays spreading from P).
        assert abs(f["p_ap"] / dish.p_in - 1) < 1e-6, f["p_ap"] / dish.p_in
        assert f["axial"] < 1e-6, f["axial"]
        prod = f["spill"] * f["pol"] * f["ill"] * f["phase"]
        assert abs(prod / f["eta"] - 1) < 1e-6, prod / f["eta"]
        te, th = dish.tapers()
        xp = dish.cross_pol()
        rows.append((aw, s, fd, f["eta"], f["spill"], f["ill"], f["phase"], f["pol"], f0["eta"], z, te, th, xp))
        print(" ".join(f"{v:.10g}" for v in rows[-1]), flush=True)
    with open(OUT, "w") as out:
        out.write("# Conical TE11 horn on a paraboloid, two-dimensional geometrical-optics references\n")
        out.write("# made by tests/feed/gen_feed_refs.py (see there for the definitions).\n")
        out.write("# aw S f/D eta_ap spill ill phase pol eta_ap_aperture_plane focus_wl taper_e_db "
                  "taper_h_db xp45_db\n")
        for r in rows:
            out.write(" ".join(f"{v:.12g}" for v in r) + "\n")


if __name__ == "__main__":
    main()
