#!/usr/bin/python3
"""The f/D 0.4 open-guide feed at 10 GHz bare and with the one and two choke
rings `feed --full-wave --choke-design` gives it: E- and H-plane patterns and
the 45-degree cross-polar, relative to the axis, with the dish's rim
(64 degrees) marked: doc/plots/chokes.png.

Guide radius 0.545 in with the full wave's default guide and wall. Runs the
quaven binary given as the first argument (default build/quaven).

    /usr/bin/python3 doc/plots/chokes.py [build/quaven]
"""
import io
import os
import subprocess
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
QUAVEN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "quaven")
GUIDE = ["--aperture", "0.545", "--slant", "inf", "--throat", "0.545", "--full-wave", "--freq", "10",
         "--angles", "0", "180", "1", "--format", "csv"]


def designed(rings):
    """The flange and rings of feed --full-wave --choke-design RINGS (f/D 0.4), as options."""
    out = subprocess.run([QUAVEN, "feed", "--throat", "0.545", "--full-wave", "--freq", "10", "--f-over-d", "0.4",
                          "--choke-design", str(rings), "--format", "csv"], check=True, capture_output=True,
                         text=True).stdout
    d = np.genfromtxt(io.StringIO(out), delimiter=",", names=True)
    opts = ["--flange", repr(float(d["flange_radius_in"]))]
    for k in range(1, rings + 1):
        opts += ["--choke", ",".join(repr(float(d["choke%d_%s_in" % (k, p)])) for p in ("inner", "width", "depth"))]
    return opts


FEEDS = [("open guide", []), ("one ring", designed(1)), ("two rings", designed(2))]


def pattern(parts):
    out = subprocess.run([QUAVEN, "pattern", *GUIDE, *parts], check=True, capture_output=True, text=True).stdout
    d = np.genfromtxt(io.StringIO(out), delimiter=",", names=True)
    axis = d["amplitude_e_db"][0]
    return d["angle_deg"], d["amplitude_e_db"] - axis, d["amplitude_h_db"] - axis, d["amplitude_45_xp_db"] - axis


fig, axes = plt.subplots(1, 3, figsize=(14, 4.2), sharey=True)
colours = ["tab:gray", "tab:blue", "tab:orange"]
for (name, parts), colour in zip(FEEDS, colours):
    th, e, h, xp = pattern(parts)
    axes[0].plot(th, e, color=colour, lw=1.2, label=name)
    axes[1].plot(th, h, color=colour, lw=1.2, label=name)
    axes[2].plot(th, xp, color=colour, lw=1.2, label=name)
for ax, title in zip(axes, ("E plane", "H plane", "45-degree plane, cross-polar")):
    ax.axvline(64.0, color="k", lw=0.8, ls=":")
    ax.set_title(title)
    ax.set_xlim(0, 180)
    ax.set_ylim(-50, 2)
    ax.set_xticks(range(0, 181, 30))
    ax.set_xlabel("Angle off axis (deg)")
    ax.grid(True, alpha=0.3)
axes[0].set_ylabel("Relative to the axis (dB)")
axes[2].legend(loc="upper right", fontsize=9)
fig.suptitle("Open guide (radius 0.545 in) for an f/D 0.4 dish at 10 GHz, bare and with choke rings; "
             "dotted: the dish's rim", fontsize=11)
fig.tight_layout()
fig.savefig(os.path.join(ROOT, "doc", "plots", "chokes.png"), dpi=100)
