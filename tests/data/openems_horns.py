#!/usr/bin/python3
"""Full-wave references for conical TE11 horns from the openEMS FDTD solver.

Each horn is the body the moment-method model describes: a circular guide
of inner radius b and length L closed at its back by a plate of the wall
thickness w, a cone from the guide to the aperture radius a (inner surface)
with slant radius R, walls of thickness w and a rim cut flat in the aperture
plane, and for horn 6 a flange and a choke ring round the rim. A quarter
of it is simulated (x-polarised TE11: PEC at x = 0, PMC at
y = 0) on a uniform mesh; the cone is a staircase of thin cylindrical shells
finer than the mesh. A soft x-directed field on the guide's cross-section a
quarter guide wavelength in front of the back plate launches the TE11 wave;
the guide is long enough that only TE11 reaches the throat, so the pattern
and directivity are those of the horn fed by TE11 whatever the feed.

Writes, beside this script, openems_horn_<n>.txt (theta in degrees from 0
to 180 in 0.5 degree steps; E-plane and H-plane co-polar amplitude in dB
relative to the axis and phase in degrees, phase referred to the centre of
the aperture plane; 45-degree-plane co- and cross-polar amplitude, Ludwig's
third definition, in dB relative to the axis) and a line per horn in
openems_horns.txt (openems_chokes.txt for a horn with a flange and rings:
geometry, mesh, and the directivity integrated over a sphere grid and from
the principal cuts). Simulation folders go under /tmp;
--post-only redoes the far-field transform of a finished simulation.

Run with Debian's interpreter, niced, one horn at a time:
    nice -n 10 /usr/bin/python3 openems_horns.py [1 2 3] [--res MM] [--threads N] [--post-only]
"""
import json
import math
import os
import sys

import numpy as np

np.float = float  # the 0.35 bindings still use the alias numpy 1.24 removed
from CSXCAD import ContinuousStructure  # noqa: E402
from openEMS import openEMS  # noqa: E402
from openEMS.physical_constants import C0  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
INCH = 25.4  # mm

# name, frequency (Hz), throat b, guide length L, aperture a, slant R, wall w (mm)
HORNS = {
    1: dict(f=10e9, b=0.45 * INCH, L=45.0, a=1.2 * INCH, R=3.0 * INCH, w=1.5),
    2: dict(f=10e9, b=0.45 * INCH, L=45.0, a=1.6 * INCH, R=5.0 * INCH, w=1.5),
    3: dict(f=11e9, b=0.45 * INCH, L=40.0, a=0.9 * INCH, R=2.0 * INCH, w=1.0),
    # The open-ended guide: no cone (aperture = throat, slant radius infinite).
    4: dict(f=10e9, b=0.45 * INCH, L=45.0, a=0.45 * INCH, R=math.inf, w=1.0),
    # A designed horn: the full-wave design to a 30-degree E-plane beamwidth at
    # 3 dB at S = 0.2 on horn 1's guide and wall (quaven design --full-wave
    # --units cm --throat 1.143 --guide-length 4.5 --wall 0.15 --freq 10
    # --beamwidth 30 --s-range 0.2 0.2 1).
    5: dict(f=10e9, b=0.45 * INCH, L=45.0, a=29.551137, R=72.822854, w=1.5),
    # Horn 4's guide in a flange of radius 36 mm (1 mm thick) with one choke
    # ring: a groove from radius 18 to 25.5 mm, 7.5 mm (a quarter
    # wavelength) deep, 1 mm walls, its mouth in the aperture plane
    # (quaven --units cm --throat 1.143 --guide-length 4.5 --wall 0.1
    # --flange 3.6,0.1 --choke 1.8,0.75,0.75,0.1). The parts are annuli
    # (inner radius, outer radius, z from, z to; z from the aperture plane).
    6: dict(f=10e9, b=0.45 * INCH, L=45.0, a=0.45 * INCH, R=math.inf, w=1.0,
            parts=[(12.43, 18.0, -1.0, 0.0), (25.5, 36.0, -1.0, 0.0),  # the flange either side of the groove
                   (17.0, 18.0, -8.5, 0.0), (25.5, 26.5, -8.5, 0.0),   # the groove's walls
                   (17.0, 26.5, -8.5, -7.5)]),                          # its bottom
}
CHI11 = 1.8411837813406593


def geometry(h):
    b, L, a, R, w = h["b"], h["L"], h["a"], h["R"], h["w"]
    s0 = a / R
    c0 = math.sqrt(1.0 - s0 * s0)
    zap = L + (a - b) * c0 / s0 if s0 > 0 else L
    return b, L, a, R, w, s0, c0, zap


def build(name, h, res, sim_path):
    b, L, a, R, w, s0, c0, zap = geometry(h)
    f0 = h["f"]
    lam = C0 / f0 * 1e3  # mm
    t0 = s0 / c0  # tan of the half-flare angle
    fdtd = openEMS(NrTS=20000, EndCriteria=1e-5)
    fdtd.SetGaussExcite(f0, 0.5 * f0)
    fdtd.SetBoundaryCond(["PEC", "PML_8", "PMC", "PML_8", "PML_8", "PML_8"])
    csx = ContinuousStructure()
    fdtd.SetCSX(csx)
    grid = csx.GetGrid()
    grid.SetDeltaUnit(1e-3)

    metal = csx.AddMetal("horn")
    ro = a + w / c0  # outer radius at the rim
    z5 = L - w * s0 / (1.0 + c0)  # outer throat corner
    metal.AddCylinder([0, 0, -w], [0, 0, 0], b + w)
    metal.AddCylindricalShell([0, 0, 0], [0, 0, z5], b + 0.5 * w, w)
    # One shell per z line of the mesh (a thinner one would fall between
    # lines and be ignored), each with the cone's radii at that line.
    zline = res * math.ceil(z5 / res)
    while zline <= zap + 1e-9:
        za, zb = max(z5, zline - 0.5 * res), min(zap, zline + 0.5 * res)
        rin = b + max(0.0, zline - L) * t0
        rout = max(b + w, ro - (zap - zline) * t0)
        if zb > za:  # a shell of no height has no axis: CSXCAD would close the guide with it
            metal.AddCylindricalShell([0, 0, za], [0, 0, zb], 0.5 * (rin + rout), rout - rin)
        zline += res

    outer = ro
    for r0, r1, z0, z1 in h.get("parts", []):
        metal.AddCylindricalShell([0, 0, zap + z0], [0, 0, zap + z1], 0.5 * (r0 + r1), r1 - r0)
        outer = max(outer, r1)

    # Source: soft E_x on the quarter disc of the guide's cross-section.
    kc = CHI11 / b
    k = 2 * math.pi / lam
    beta = math.sqrt(k * k - kc * kc)
    zs = res * round(min(0.5 * math.pi / beta, 0.25 * L) / res)
    exc = csx.AddExcitation("src", exc_type=0, exc_val=[1, 0, 0])
    nx = int(math.floor(b / res))
    for i in range(nx):
        x0, x1 = i * res, (i + 1) * res
        ymax = math.sqrt(max(0.0, b * b - x1 * x1))
        if ymax > 0:
            exc.AddBox([x0, 0, zs], [x1, ymax, zs])

    margin = 0.5 * lam + 8 * res
    xmax = outer + margin
    zmin = -res * math.ceil((w + margin) / res)  # z = 0 on a mesh line
    zmax = zap + margin
    # Lines as integer multiples of the step, with one exactly at the source
    # plane: a box of no thickness is only used when it lies on a line.
    xs = res * np.arange(0, int(math.floor(xmax / res + 0.5)) + 1)
    zsl = res * np.arange(int(round(zmin / res)), int(math.floor(zmax / res + 0.5)) + 1)
    zsl[np.argmin(np.abs(zsl - zs))] = zs
    grid.AddLine("x", xs)
    grid.AddLine("y", xs)
    grid.AddLine("z", zsl)

    # Two voltage probes of E_x near the axis of the guide (two cells off
    # the PMC plane, where openEMS records no field), between source and
    # throat and far enough from both that only TE11 remains: the forward
    # and backward waves there give the throat's reflection coefficient.
    zp = [res * round(z / res) for z in (0.5 * (zs + L) - 2.0, 0.5 * (zs + L) + 2.0)]
    for i, z in enumerate(zp):
        if np.min(np.abs(zsl - z)) > 1e-9:
            raise SystemExit("probe plane %g mm is not a mesh line" % z)
        csx.AddProbe("ex%d" % i, p_type=0).AddBox([0, 2 * res, z], [res, 2 * res, z])

    gap = 11 * res
    # The box takes its mirrors (PEC at x = 0, PMC at y = 0) and the faces
    # it records from the boundary conditions.
    nf = fdtd.CreateNF2FFBox("nf2ff", [0, 0, zmin + gap], [xmax - gap, xmax - gap, zmax - gap], frequency=[f0])
    assert list(nf.mirror) == [1, 0, 2, 0, 0, 0] and list(nf.directions)[0::2] == [False, False, True], (
        nf.mirror, nf.directions)
    return fdtd, nf, zap, zp, beta


def s11(sim_path, f0, zp, beta, L):
    """TE11 reflection coefficient at the guide's end z = L (mm) from the two
    axial probes: E_x = A exp(-j beta z) + B exp(j beta z) (openEMS's phasors
    go as exp(j omega t))."""
    from openEMS.ports import UI_data
    v = [UI_data(["ex%d" % i], sim_path, [f0]).ui_f_val[0][0] for i in range(2)]
    z = np.array(zp)  # mm, beta in 1/mm
    m = np.array([[np.exp(-1j * beta * z[0]), np.exp(1j * beta * z[0])],
                  [np.exp(-1j * beta * z[1]), np.exp(1j * beta * z[1])]])
    a, b = np.linalg.solve(m, np.array(v))
    return b * np.exp(1j * beta * L) / (a * np.exp(-1j * beta * L))


def run(name, res, threads, post_only):
    h = HORNS[name]
    sim_path = os.path.join("/tmp", "openems_horn_%d" % name)
    fdtd, nf, zap, zp, beta = build(name, h, res, sim_path)
    if not post_only:
        fdtd.Run(sim_path, cleanup=True, verbose=1, numThreads=threads)
    f0 = h["f"]
    centre = [0, 0, zap * 1e-3]
    theta = np.arange(0.0, 180.0 + 1e-9, 0.5)
    cuts = nf.CalcNF2FF(sim_path, f0, theta, [0.0, 45.0, 90.0], center=centre, outfile="cuts.h5")
    et = cuts.E_theta[0]  # [theta, phi]
    ep = cuts.E_phi[0]
    e_plane = et[:, 0]
    h_plane = -ep[:, 2]  # E_phi = -h sin(phi)
    c45, s45 = math.cos(math.pi / 4), math.sin(math.pi / 4)
    co45 = et[:, 1] * c45 - ep[:, 1] * s45
    xp45 = et[:, 1] * s45 + ep[:, 1] * c45
    ref = abs(e_plane[0])

    def db(v):
        return 20 * np.log10(np.maximum(np.abs(v), 1e-30) / ref)

    rows = ["# openEMS FDTD, horn %d (see openems_horns.txt), mesh %.2f mm" % (name, res),
            "# theta_deg e_db e_phase_deg h_db h_phase_deg co45_db xp45_db"]
    for i, t in enumerate(theta):
        rows.append("%.1f %.4f %.3f %.4f %.3f %.4f %.4f" % (
            t, db(e_plane[i]), math.degrees(np.angle(e_plane[i])), db(h_plane[i]),
            math.degrees(np.angle(h_plane[i])), db(co45[i]), db(xp45[i])))
    with open(os.path.join(HERE, "openems_horn_%d.txt" % name), "w") as out:
        out.write("\n".join(rows) + "\n")

    # Directivity two ways: from a grid over the sphere (theta every 2
    # degrees, phi every 15 over the quarter 0..90 that symmetry repeats;
    # the trapezoidal rule in phi is exact for the low harmonics of the
    # pattern), and from the two principal cuts of an m = +-1 field
    # (E_theta = e cos phi, E_phi = -h sin phi):
    # D = 4 |e(0)|^2 / int (|e|^2 + |h|^2) sin theta dtheta.
    ths = np.arange(0.0, 180.0 + 1e-9, 2.0)
    phs = np.arange(0.0, 90.0 + 1e-9, 15.0)
    sphere = nf.CalcNF2FF(sim_path, f0, ths, phs, center=centre, outfile="sphere.h5")
    u = np.abs(sphere.E_theta[0]) ** 2 + np.abs(sphere.E_phi[0]) ** 2  # [theta, phi]
    wphi = np.full(len(phs), 1.0)
    wphi[0] = wphi[-1] = 0.5
    mean_phi = (u * wphi).sum(axis=1) / wphi.sum()
    d_sphere = 2 * u[0, 0] / np.trapz(mean_phi * np.sin(np.radians(ths)), np.radians(ths))
    th = np.radians(theta)
    integrand = (np.abs(e_plane) ** 2 + np.abs(h_plane) ** 2) * np.sin(th)
    d_cuts = 4 * abs(e_plane[0]) ** 2 / np.trapz(integrand, th)
    # One line per horn in openems_horns.txt, kept in horn order; the horns
    # with a flange and rings in openems_chokes.txt.
    summary_path = os.path.join(HERE, "openems_chokes.txt" if "parts" in h else "openems_horns.txt")
    lines = {}
    if os.path.exists(summary_path):
        for line in open(summary_path):
            if not line.startswith("#") and line.strip():
                lines[int(line.split()[0])] = line.rstrip("\n")
    gamma = s11(sim_path, f0, zp, beta, h["L"])
    lines[name] = "%d %.6g %.6g %.6g %.6g %.6g %.6g %.3g %.4f %.4f %.3f %.2f" % (
        name, h["f"] / 1e9, h["b"], h["L"], h["a"], h["R"], h["w"], res,
        10 * np.log10(d_sphere), 10 * np.log10(d_cuts), 20 * np.log10(abs(gamma)), np.degrees(np.angle(gamma)))
    with open(summary_path, "w") as out:
        out.write("# openEMS FDTD references (openems_horns.py): horn, GHz, throat b, guide length L,\n"
                  "# aperture a, slant R, wall w, mesh (all mm), directivity dBi over a sphere grid and\n"
                  "# from the principal cuts, TE11 reflection at the guide's end in dB and degrees (runs\n"
                  "# made before the probes were added lack the last two)\n")
        for k in sorted(lines):
            out.write(lines[k] + "\n")
    print(lines[name])


def main():
    args = sys.argv[1:]
    res, threads, names, post_only = 0.5, 2, [], False
    i = 0
    while i < len(args):
        if args[i] == "--res":
            res = float(args[i + 1])
            i += 2
        elif args[i] == "--threads":
            threads = int(args[i + 1])
            i += 2
        elif args[i] == "--post-only":
            post_only = True
            i += 1
        else:
            names.append(int(args[i]))
            i += 1
    for name in names or list(HORNS):
        run(name, res, threads, post_only)


if __name__ == "__main__":
    main()
