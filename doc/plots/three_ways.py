#!/usr/bin/python3
"""The reference horn's E- and H-plane patterns by aperture theory, the full
wave and openEMS, relative to the axis: doc/plots/three-ways.png.

Guide radius 0.45 in (45 mm long), aperture 1.2 in, slant 3 in, 1.5 mm wall,
10 GHz. Runs the quaven binary given as the first argument (default
build/quaven) and reads tests/data/openems_horn_1.txt.

    /usr/bin/python3 doc/plots/three_ways.py [build/quaven]
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
HORN = ["--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "180", "0.5", "--format", "csv"]


def pattern(*model):
    out = subprocess.run([QUAVEN, "pattern", *HORN, *model], check=True, capture_output=True, text=True).stdout
    d = np.genfromtxt(io.StringIO(out), delimiter=",", names=True)
    return d["angle_deg"], d["amplitude_e_db"] - d["amplitude_e_db"][0], d["amplitude_h_db"] - d["amplitude_h_db"][0]


exact = pattern("--exact")
full = pattern("--full-wave", "--throat", "0.45", "--guide-length", "1.771654", "--wall", "0.0590551")
fdtd = np.loadtxt(os.path.join(ROOT, "tests", "data", "openems_horn_1.txt"), comments="#")

fig, axes = plt.subplots(1, 2, figsize=(11, 4.2), sharey=True)
for ax, col, name in ((axes[0], 1, "E plane"), (axes[1], 2, "H plane")):
    ax.plot(exact[0], exact[col], color="tab:gray", lw=1.2, label="aperture theory (--exact)")
    ax.plot(fdtd[:, 0], fdtd[:, 1 if col == 1 else 3], color="tab:orange", lw=1.2, label="openEMS FDTD, 0.25 mm")
    ax.plot(full[0], full[col], color="tab:blue", lw=1.2, ls="--", label="full wave (--full-wave)")
    ax.set_title(name)
    ax.set_xlim(0, 180)
    ax.set_ylim(-50, 2)
    ax.set_xticks(range(0, 181, 30))
    ax.set_xlabel("Angle off axis (deg)")
    ax.grid(True, alpha=0.3)
axes[0].set_ylabel("Relative to the axis (dB)")
axes[1].legend(loc="upper right", fontsize=9)
fig.suptitle("Conical horn: guide 0.45 in, aperture 1.2 in, slant 3 in, 1.5 mm wall, 10 GHz", fontsize=11)
fig.tight_layout()
fig.savefig(os.path.join(ROOT, "doc", "plots", "three-ways.png"), dpi=100)
