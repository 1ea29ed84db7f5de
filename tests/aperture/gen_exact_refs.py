#!/usr/bin/python3
"""High-precision references for the exact-mode horn figures.

Evaluates, with mpmath at 25 digits, the far field of a circular TE11
aperture whose phase lags by S cycles at the rim:

    P(theta) = (1 + cos theta)/2 * int_0^1 F(x, u) exp(-j 2 pi S x^2) dx,
    FE = J1'(ux) J1(chi x) + chi x J1'(chi x) J1(ux)/(ux),
    FH = J1(chi x) J1(ux)/(ux) + chi x J1'(chi x) J1'(ux),
    u  = 2 pi aw sin theta,   chi = first zero of J1' (mpmath.besseljzero).

The Bessel derivatives and ratios are taken from mpmath directly, not from
the J0/J2 identities. The x integral uses a 96-point Gauss-Legendre rule
made by mpmath, checked against tanh-sinh quadrature (mp.quad) below.

Figures written:
  exact_beamwidths.txt  aw S  bwe3 bwh3 bwe10 bwh10   (degrees; nan: none)
      twice the first angle past the peak, short of 180 degrees, where the power
      is the level below the peak; the peak is the largest value on a 0.25 degree scan refined by
      golden-section search; the crossing is found by bisection-based
      findroot ('anderson') from the scan bracket.
  exact_phase_centres.txt  aw S  pce pch   (wavelengths)
      d minimising int_0^{bw10/2} (phi - c - 2 pi d (1 - cos theta))^2 dtheta,
      the integrals by tanh-sinh quadrature, phi unwrapped along theta.
  exact_gain.txt  aw S  gain_dB
      10 log10((2 pi aw)^2 eta), eta = |int_0^1 J0(chi x) e^{-j psi} x dx|^2 /
      int_0^1 [(J1(chi x)/(chi x))^2 + J1'(chi x)^2] x dx, both by mp.quad.
  exact_designs.txt  S bw level plane  aw  dbw_daw
      aw whose beamwidth (plane 1 E, 2 H, 3 mean of both) is bw at the level,
      by the secant method on aw; dbw_daw is the local slope, so that a test
      can turn a 0.01 degree tolerance into one on aw.

Run:  /usr/bin/python3 tests/aperture/gen_exact_refs.py   (about ten minutes)
"""
import os
import sys

import mpmath as mp

mp.mp.dps = 25
CHI = mp.besseljzero(1, 1, derivative=1)
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")

_nodes = []
_phases = {}
_fields = {}


def gauss_nodes():
    if not _nodes:
        # mpmath's Gauss-Legendre nodes on [-1, 1] via its quadrature class.
        gl = mp.calculus.quadrature.GaussLegendre(mp.mp)
        # degree m gives 3 * 2**(m-1) nodes; m = 6 gives 96 nodes.
        pts = gl.calc_nodes(6, mp.mp.prec)
        for x, w in pts:
            xx = (x + 1) / 2
            cx = CHI * xx
            _nodes.append((xx, w / 2, mp.besselj(1, cx), cx * mp.besselj(1, cx, derivative=1)))
    return _nodes


def j1_over_z(z):
    return mp.mpf("0.5") if z == 0 else mp.besselj(1, z) / z


def field(aw, s, th):
    """(E, H) complex far field at theta."""
    key = (aw, s, th)
    if key in _fields:
        return _fields[key]
    if s not in _phases:
        _phases[s] = [mp.expj(-2 * mp.pi * s * x * x) for x, _, _, _ in gauss_nodes()]
    u = 2 * mp.pi * aw * abs(mp.sin(th))
    e = mp.mpc(0)
    h = mp.mpc(0)
    for (x, w, j1c, cj1p), ph in zip(gauss_nodes(), _phases[s]):
        z = u * x
        lam = j1_over_z(z)
        d1 = mp.besselj(1, z, derivative=1)
        e += w * (d1 * j1c + cj1p * lam) * ph
        h += w * (j1c * lam + cj1p * d1) * ph
    ob = (1 + mp.cos(th)) / 2
    _fields[key] = (ob * e, ob * h)
    return _fields[key]


def field_quad(aw, s, th):
    """The same by tanh-sinh quadrature, to check the Gauss rule."""
    u = 2 * mp.pi * aw * abs(mp.sin(th))

    def fe(x):
        cx = CHI * x
        return (mp.besselj(1, u * x, derivative=1) * mp.besselj(1, cx) +
                cx * mp.besselj(1, cx, derivative=1) * j1_over_z(u * x)) * mp.expj(-2 * mp.pi * s * x * x)

    def fh(x):
        cx = CHI * x
        return (mp.besselj(1, cx) * j1_over_z(u * x) +
                cx * mp.besselj(1, cx, derivative=1) * mp.besselj(1, u * x, derivative=1)) * mp.expj(
                    -2 * mp.pi * s * x * x)

    ob = (1 + mp.cos(th)) / 2
    return ob * mp.quad(fe, [0, 0.5, 1]), ob * mp.quad(fh, [0, 0.5, 1])


def power_db(aw, s, th, plane):
    f = field(aw, s, th)[plane]
    return 10 * mp.log10(abs(f) ** 2)


def golden_max(fun, a, b, tol=mp.mpf("1e-12")):
    g = (mp.sqrt(5) - 1) / 2
    c = b - g * (b - a)
    d = a + g * (b - a)
    fc, fd = fun(c), fun(d)
    while b - a > tol:
        if fc > fd:
            b, d, fd = d, c, fc
            c = b - g * (b - a)
            fc = fun(c)
        else:
            a, c, fc = c, d, fd
            d = a + g * (b - a)
            fd = fun(d)
    x = (a + b) / 2
    return x, fun(x)


STEP = mp.radians(mp.mpf("0.25"))
# The scan ends just short of 180 degrees, where (1 + cos theta) vanishes.
END = mp.pi - mp.mpf("1e-6")


def half_widths(aw, s, plane, levels):
    """Half-beamwidths (radians) at each level; None where there is none."""
    deepest = max(levels)
    ths, ps = [], []
    best, m = None, 0
    i = 0
    while True:
        th = min(i * STEP, END)
        p = power_db(aw, s, th, plane)
        ths.append(th)
        ps.append(p)
        if best is None or p > best:
            best, m = p, i
        if p < best - deepest - 1 or th == END:
            break
        i += 1
    lo = ths[max(m - 1, 0)]
    hi = ths[min(m + 1, len(ths) - 1)]
    pk_th, peak = golden_max(lambda t: power_db(aw, s, t, plane), lo, hi)
    if ps[0] >= peak:
        pk_th, peak = mp.mpf(0), ps[0]
    out = []
    for level in levels:
        target = peak - level
        j = next((k for k in range(m + 1, len(ths)) if ps[k] < target), None)
        if j is None:
            out.append(None)
            continue
        a = max(ths[j - 1], pk_th) if j - 1 == m else ths[j - 1]
        root = mp.findroot(lambda t: power_db(aw, s, t, plane) - target, (a, ths[j]),
                           solver="anderson", tol=mp.mpf("1e-20"))
        out.append(root)
    return out


def widths_deg(aw, s, levels):
    e = half_widths(aw, s, 0, levels)
    h = half_widths(aw, s, 1, levels)
    conv = lambda v: None if v is None else 2 * mp.degrees(v)
    return [conv(v) for v in e], [conv(v) for v in h]


def phase_centre(aw, s, plane, bw10):
    tm = mp.radians(bw10) / 2
    # Unwrapped phase on a fine grid, used to put every quadrature sample on
    # the continuous branch.
    grid_n = 64
    grid = [tm * k / grid_n for k in range(grid_n + 1)]
    ph = []
    for t in grid:
        a = mp.arg(field(aw, s, t)[plane])
        if ph:
            a += 2 * mp.pi * mp.nint((ph[-1] - a) / (2 * mp.pi))
        ph.append(a)
    memo = {}

    def phi(t):
        if t not in memo:
            k = min(int(t / tm * grid_n), grid_n - 1)
            guess = ph[k] + (ph[k + 1] - ph[k]) * (t - grid[k]) / (grid[k + 1] - grid[k])
            a = mp.arg(field(aw, s, t)[plane])
            memo[t] = a + 2 * mp.pi * mp.nint((guess - a) / (2 * mp.pi))
        return memo[t]

    g = lambda t: 2 * mp.pi * (1 - mp.cos(t))
    m0 = tm
    m1 = mp.quad(g, [0, tm])
    m2 = mp.quad(lambda t: g(t) ** 2, [0, tm])
    p0 = mp.quad(phi, [0, tm])
    p1 = mp.quad(lambda t: g(t) * phi(t), [0, tm])
    return (m0 * p1 - m1 * p0) / (m0 * m2 - m1 * m1)


def gain_db(aw, s):
    num = mp.quad(lambda x: x * mp.besselj(0, CHI * x) * mp.expj(-2 * mp.pi * s * x * x), [0, 1])
    den = mp.quad(lambda x: ((mp.besselj(1, CHI * x) / (CHI * x)) ** 2 +
                             mp.besselj(1, CHI * x, derivative=1) ** 2) * x, [0, 1])
    eta = abs(num) ** 2 / den
    return 10 * mp.log10((2 * mp.pi * aw) ** 2 * eta)


def design_width(aw, s, bw_level, plane):
    if plane == 1:
        v = half_widths(aw, s, 0, [bw_level])[0]
        return None if v is None else 2 * mp.degrees(v)
    if plane == 2:
        v = half_widths(aw, s, 1, [bw_level])[0]
        return None if v is None else 2 * mp.degrees(v)
    e, h = half_widths(aw, s, 0, [bw_level])[0], half_widths(aw, s, 1, [bw_level])[0]
    return None if e is None or h is None else mp.degrees(e + h)


def design(s, bw, level, plane):
    u0 = mp.mpf("1.6") * mp.sqrt(mp.mpf(level) / 3)
    aw0 = u0 / (2 * mp.pi * mp.sin(mp.radians(bw) / 2))

    def f(aw):
        w = design_width(aw, s, level, plane)
        if w is None:
            raise ValueError("no beamwidth")
        return w - bw

    try:
        aw = mp.findroot(f, (aw0, aw0 * mp.mpf("1.02")), solver="secant", tol=mp.mpf("1e-18"))
    except ValueError:
        # The secant stepped where the pattern has no beamwidth: bracket the
        # root on a geometric grid of apertures instead and use a bracketing
        # solver.
        lo = None
        for k in range(-40, 41):
            a1, a2 = aw0 * mp.mpf("1.05") ** k, aw0 * mp.mpf("1.05") ** (k + 1)
            w1, w2 = design_width(a1, s, level, plane), design_width(a2, s, level, plane)
            if w1 is not None and w2 is not None and (w1 - bw) * (w2 - bw) <= 0:
                lo = (a1, a2)
                break
        if lo is None:
            raise
        aw = mp.findroot(f, lo, solver="anderson", tol=mp.mpf("1e-18"))
    h = aw * mp.mpf("1e-7")
    slope = (design_width(aw + h, s, level, plane) - design_width(aw - h, s, level, plane)) / (2 * h)
    return aw, slope


HORNS = [(4.0, 0.0), (2.0, 0.1), (1.0, 0.0), (0.5, 0.0), (1.0, 0.2), (3.0, 0.3), (0.7, 0.4),
         (1.0, 0.4), (2.0, 0.5), (0.6, 0.6), (1.5, 0.6), (1.0, 0.8), (2.0, 0.8), (0.4, 0.2)]

DESIGNS = [(0.0, 15.0, 3.0, 1), (0.2, 30.0, 3.0, 1), (0.2, 30.0, 3.0, 2), (0.2, 30.0, 3.0, 3),
           (0.4, 60.0, 10.0, 1), (0.4, 60.0, 10.0, 2), (0.6, 90.0, 10.0, 3), (0.8, 40.0, 10.0, 2),
           (0.0, 120.0, 10.0, 3), (0.5, 100.0, 3.0, 1), (0.8, 20.0, 3.0, 1), (0.1, 150.0, 10.0, 1),
           (0.3, 45.0, 6.5, 2)]


def fmt(v):
    return "nan" if v is None else mp.nstr(v, 17, min_fixed=-30, max_fixed=30)


def main():
    # The Gauss rule of this script against tanh-sinh quadrature.
    for aw, s, th in [(4.0, 0.8, 1.2), (1.0, 0.4, 0.5), (0.5, 0.0, 1.5)]:
        a, b = field(aw, s, th), field_quad(aw, s, mp.mpf(th))
        for k in range(2):
            assert abs(a[k] - b[k]) < mp.mpf("1e-18"), (aw, s, th, a[k], b[k])

    if sys.argv[1:2] == ["one"]:
        # One design case, S bw level plane, printed as a line of the data.
        s, bw, level, plane = sys.argv[2:6]
        aw, slope = design(mp.mpf(s), mp.mpf(bw), float(level), int(plane))
        print("%s %s %s %s %s %s" % (s, bw, level, plane, fmt(aw), fmt(slope)))
        return
    what = sys.argv[1:] or ["beam", "gain", "design"]
    header = "# generated by tests/aperture/gen_exact_refs.py (mpmath %s, %d digits)\n" % (mp.__version__, mp.mp.dps)
    if "beam" in what:
        with open(os.path.join(DATA, "exact_beamwidths.txt"), "w") as fb, \
                open(os.path.join(DATA, "exact_phase_centres.txt"), "w") as fp:
            fb.write(header + "# aw S bwe3 bwh3 bwe10 bwh10 (degrees)\n")
            fp.write(header + "# aw S pce pch (wavelengths behind the aperture)\n")
            for aw, s in HORNS:
                e, h = widths_deg(mp.mpf(aw), mp.mpf(s), [3, 10])
                fb.write("%s %s %s %s %s %s\n" % (aw, s, fmt(e[0]), fmt(h[0]), fmt(e[1]), fmt(h[1])))
                fb.flush()
                pce = None if e[1] is None else phase_centre(mp.mpf(aw), mp.mpf(s), 0, e[1])
                pch = None if h[1] is None else phase_centre(mp.mpf(aw), mp.mpf(s), 1, h[1])
                fp.write("%s %s %s %s\n" % (aw, s, fmt(pce), fmt(pch)))
                fp.flush()
                print("horn", aw, s, flush=True)
    if "gain" in what:
        with open(os.path.join(DATA, "exact_gain.txt"), "w") as fg:
            fg.write(header + "# aw S gain (dB)\n")
            for aw, s in HORNS:
                fg.write("%s %s %s\n" % (aw, s, fmt(gain_db(mp.mpf(aw), mp.mpf(s)))))
    if "design" in what:
        with open(os.path.join(DATA, "exact_designs.txt"), "w") as fd:
            fd.write(header + "# S bw level plane aw dbw_daw (plane 1 E, 2 H, 3 mean)\n")
            for s, bw, level, plane in DESIGNS:
                try:
                    aw, slope = design(mp.mpf(s), mp.mpf(bw), level, plane)
                    fd.write("%s %s %s %d %s %s\n" % (s, bw, level, plane, fmt(aw), fmt(slope)))
                except (ValueError, ZeroDivisionError) as err:
                    print("design", s, bw, level, plane, "failed:", err, flush=True)
                    fd.write("%s %s %s %d nan nan\n" % (s, bw, level, plane))
                fd.flush()
                print("design", s, bw, level, plane, flush=True)


if __name__ == "__main__":
    main()
