#!/usr/bin/python3
"""Whole-program outputs of one build against those of another.

    compare_outputs.py record  PROGRAM DIR   run every case, keep its outputs in DIR
    compare_outputs.py compare PROGRAM DIR   run every case again and check against DIR

A case is one command line (or one dialogue session fed on standard input)
with its standard output, standard error, exit status and, for the dialogue,
its report file. Cases of the legacy models must agree byte for byte. Cases
marked exact may move by the rounding of their inputs: every number must agree
to 1e-6 relative, or, where the table prints it with fixed decimals, to one
unit of its last printed digit; all other text must be the same. Pattern
amplitudes (dB) and phases (degrees) pass through zero, so there the 1e-6 is
taken relative to a full turn, 360, at least (3.6e-4 dB or degrees); near a
null a 2e-7 change of a/lambda (the exact speed of light) moves the phase by
some 2e-4 degrees.

Cases of the dish feed, the full wave, the .cut layout and --plot pictures
(SVG, whose bytes are stable) are compared like the exact ones. With
PYTHONPATH naming a build's Python module, python_outputs.py beside this
script prints the arrays of a set of module calls in every model; its output
is one more case, compared the same way.

Record with the build before a change, compare with the build after it.
"""
import os
import re
import subprocess
import sys
import tempfile

FMT = ["table", "csv", "json"]

# Legacy subcommands: every format, both units, levels 3, 10 and 6 derived
# from either curve, each plane, gain design, an infinite slant radius,
# falling sweeps and refused input.
LEGACY = []
for fmt in FMT:
    for units in ["in", "cm"]:
        tail = ["--format", fmt, "--units", units]
        LEGACY += [
            ["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0.1"] + tail,
            ["design", "--freq", "10", "--beamwidth", "30", "--level", "10", "--plane", "H",
             "--s-range", "0", "0.8", "0.2"] + tail,
            ["design", "--freq", "12.5", "--beamwidth", "22", "--level", "6", "--derive-from", "3",
             "--plane", "avg", "--s-range", "0.05", "0.6", "0.05"] + tail,
            ["design", "--freq", "4", "--beamwidth", "40", "--level", "6", "--derive-from", "10",
             "--s-range", "0.5", "0.1", "-0.1"] + tail,
            ["design", "--freq", "10", "--gain", "20", "--s-range", "0.1", "0.5", "0.1"] + tail,
            ["response", "--aperture", "3", "--slant", "10", "--freq-range", "8", "12", "0.5"] + tail,
            ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "8", "12", "0.5",
             "--level", "10"] + tail,
            ["response", "--aperture", "3", "--slant", "inf", "--freq-range", "12", "8", "-1",
             "--level", "6", "--derive-from", "10"] + tail,
            ["response", "--aperture", "2", "--slant", "8", "--freq-range", "6", "14", "2",
             "--level", "4.5", "--derive-from", "3"] + tail,
            ["pattern", "--aperture", "3", "--slant", "10", "--freq", "10", "--angles", "0", "90", "2.5"] + tail,
            ["pattern", "--aperture", "1.2", "--slant", "inf", "--freq", "11", "--angles", "-30", "30", "7.5"] + tail,
        ]
LEGACY += [
    ["design", "--freq", "10", "--beamwidth", "30", "--level", "6", "--s-range", "0.1", "0.5", "0.1"],
    ["design", "--freq", "10", "--beamwidth", "30", "--level", "3", "--derive-from", "10",
     "--s-range", "0.1", "0.5", "0.1"],
    ["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0"],
    ["design", "--freq", "-1", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0.1"],
    ["design", "--freq", "10", "--gain", "20", "--beamwidth", "3", "--s-range", "0.1", "0.5", "0.1"],
    ["response", "--aperture", "3", "--slant", "x", "--freq-range", "8", "12", "0.5"],
    ["pattern", "--aperture", "3", "--slant", "10", "--angles", "0", "90", "5"],
    ["design", "--freq", "10", "--gain", "20", "--exact", "--s-range", "0.1", "0.5", "0.1"],
    ["design", "--help"], ["response", "--help"], ["pattern", "--help"], ["--help"], ["--version"],
    ["nonsense"],
]

# Exact mode: the same kinds of line from the aperture integral.
EXACT = []
for fmt in FMT:
    for units in ["in", "cm"]:
        tail = ["--exact", "--format", fmt, "--units", units]
        EXACT += [
            ["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0.2"] + tail,
            ["design", "--freq", "10", "--beamwidth", "30", "--level", "10", "--plane", "H",
             "--s-range", "0", "0.6", "0.3"] + tail,
            ["response", "--aperture", "3", "--slant", "10", "--freq-range", "8", "12", "2"] + tail,
            ["response", "--aperture", "3", "--slant", "inf", "--freq-range", "12", "8", "-2",
             "--level", "6", "--derive-from", "10"] + tail,
            ["pattern", "--aperture", "3", "--slant", "10", "--freq", "10", "--angles", "0", "40", "5"] + tail,
        ]
EXACT += [
    ["design", "--exact", "--freq", "9.3", "--beamwidth", "25.7", "--level", "6", "--derive-from", "3",
     "--plane", "avg", "--s-range", "0.05", "0.45", "0.2"],
    ["design", "--exact", "--freq", "10", "--beamwidth", "120", "--level", "20", "--derive-from", "10",
     "--s-range", "0.3", "0.9", "0.3"],
    ["response", "--exact", "--aperture", "0.7", "--slant", "2.3", "--freq-range", "5", "15", "2.5",
     "--level", "4.5", "--derive-from", "3"],
    ["pattern", "--exact", "--aperture", "1.3", "--slant", "inf", "--freq", "11.1", "--angles", "-60", "60", "12"],
]

# The dish feed (exact aperture integral): a judged horn, designs at the best
# S, over S, to a taper, over f/D; the .cut layout; --plot pictures.
OTHER = [
    ["feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3"],
    ["feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--format", "csv"],
    ["feed", "--freq", "12", "--f-over-d", "0.35"],
    ["feed", "--freq", "12", "--f-over-d", "0.35", "--s-range", "0.1", "0.5", "0.2", "--units", "cm"],
    ["feed", "--freq", "12", "--f-over-d", "0.35", "--s-range", "0.1", "0.5", "0.2", "--format", "json"],
    ["feed", "--freq", "10", "--f-over-d", "0.5", "--taper", "-12", "--format", "csv"],
    ["feed", "--freq", "10", "--f-over-d", "0.5", "--taper", "-12", "--s-range", "0", "0.3", "0.3"],
    ["feed", "--freq", "10", "--f-over-d-range", "0.3", "0.6", "0.1", "--format", "csv"],
    ["feed", "--freq", "10", "--f-over-d-range", "0.3", "0.6", "0.1"],
    ["feed", "--freq", "10", "--f-over-d", "0", "--aperture", "1.2", "--slant", "3"],
    ["pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "15",
     "--format", "cut"],
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "15", "--format", "cut"],
    ["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0.1", "--plot", "p.svg"],
    ["response", "--exact", "--aperture", "1.2", "--slant", "3", "--freq-range", "8", "12", "1", "--plot", "p.svg"],
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "-90", "90", "5",
     "--plot", "p.svg", "--plot-polar"],
    ["pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "-90", "90", "5",
     "--plot", "p.svg"],
    ["feed", "--freq", "10", "--f-over-d-range", "0.3", "0.6", "0.1", "--plot", "p.svg"],
]

# The full wave (slow: a few solutions each).
FW = ["--full-wave", "--throat", "0.45"]
FULL_WAVE = [
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1"] + FW,
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1", "--format", "json",
     "--wall", "0.06", "--guide-length", "2"] + FW,
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "10", "11", "1", "--format", "csv",
     "--units", "cm", "--level", "6"] + ["--full-wave", "--throat", "1.143"],
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1", "--plot", "p.svg"] + FW,
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "180", "10"] + FW,
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "15",
     "--format", "csv"] + FW,
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "15",
     "--format", "cut"] + FW,
    ["feed", "--freq", "10", "--f-over-d-range", "0.3", "0.5", "0.1", "--aperture", "1.2", "--slant", "3"] + FW,
    ["feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--format", "json"] + FW,
    ["feed", "--freq", "11.7", "--f-over-d", "0.4", "--throat", "0.35", "--full-wave", "--s-range",
     "0.2", "0.2", "0.1"],
    ["feed", "--freq", "11.7", "--f-over-d", "0.4", "--throat", "0.35", "--full-wave", "--s-range",
     "0.2", "0.2", "0.1", "--format", "csv"],
    ["feed", "--freq", "10", "--f-over-d", "0.4", "--full-wave", "--throat", "0.45"],
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "30", "1"] + FW,
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1", "--exact"] + FW,
    ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1", "--wall", "0.1"],
    ["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "9", "1", "--throat", "0.4"],
]

DIALOGUE = [
    "report.txt\n2\n10 30\n3\n1\n0.1 0.5 0.1\n1.2 3\n8 12 0.5\n0 0\n0 0 0.1\n0 0\n0 0 0\n0 0\n",
    "report.txt\n1\n12 25\n6\n2\n2\n0 0.8 0.1\n3.5 10\n10 14 1\n0 0\n0.2 0.3 0.05\n0 0\n0 0 0\n0 0\n",
    "report.txt\n2\n6 40\n10\n3\n0.5 0 -0.25\n0 0\n0 0 0\n8 20\n4.5\n1\n0.1 0.3 0.1\n2 inf\n5 7 1\n0 0\n0 0 0\n0 0\n",
]


def cases():
    for i, argv in enumerate(LEGACY):
        yield "legacy%03d" % i, argv, None, False
    for i, argv in enumerate(EXACT):
        yield "exact%03d" % i, argv, None, True
    for i, text in enumerate(DIALOGUE):
        yield "dialogue%d" % i, [], text, False
    for i, argv in enumerate(OTHER):
        yield "other%03d" % i, argv, None, True
    for i, argv in enumerate(FULL_WAVE):
        yield "fullwave%03d" % i, argv, None, True
    if os.environ.get("PYTHONPATH"):
        yield "python", None, None, True


def run(program, argv, stdin):
    with tempfile.TemporaryDirectory() as work:
        if argv is None:  # the Python module's companion script
            script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "python_outputs.py")
            p = subprocess.run(["/usr/bin/python3", script], capture_output=True, cwd=work, timeout=600)
            return {"stdout": p.stdout, "stderr": p.stderr, "status": b"%d\n" % p.returncode}
        p = subprocess.run([os.path.abspath(program)] + argv, input=(stdin or "").encode(),
                           capture_output=True, cwd=work, timeout=600)
        parts = {"stdout": p.stdout, "stderr": p.stderr, "status": b"%d\n" % p.returncode,
                 "argv": (" ".join(argv) + "\n").encode()}
        report = os.path.join(work, "report.txt")
        if os.path.exists(report):
            with open(report, "rb") as f:
                parts["report"] = f.read()
        picture = os.path.join(work, "p.svg")
        if os.path.exists(picture):
            with open(picture, "rb") as f:
                parts["plot"] = f.read()
        return parts


NUMBER = re.compile(r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|nan|inf")


def close(old, new, floor):
    """Text equal but for numbers within the exact-mode tolerance."""
    a, b = NUMBER.split(old), NUMBER.split(new)
    if a != b:
        return False, 0.0
    worst = 0.0
    for x, y in zip(NUMBER.findall(old), NUMBER.findall(new)):
        if x == y:
            continue
        fx, fy = float(x), float(y)
        rel = abs(fx - fy) / max(abs(fx), abs(fy), floor)
        digits = len(x.split(".")[1]) if "." in x and "e" not in x.lower() else None
        ulp = 10.0 ** -digits if digits is not None and len(x) == len(y) else 0.0
        if rel > 1e-6 and abs(fx - fy) > ulp * 1.000001:
            return False, rel
        if rel <= 1e-6:
            worst = max(worst, rel)  # last-digit flips of the table aside
    return True, worst


def main():
    mode, program, store = sys.argv[1], sys.argv[2], sys.argv[3]
    os.makedirs(store, exist_ok=True)
    failures, worst, n = 0, 0.0, 0
    for name, argv, stdin, exact in cases():
        parts = run(program, argv, stdin)
        n += 1
        for key, data in parts.items():
            path = os.path.join(store, "%s.%s" % (name, key))
            if mode == "record":
                with open(path, "wb") as f:
                    f.write(data)
                continue
            old = open(path, "rb").read() if os.path.exists(path) else None
            if old == data:
                continue
            ok = False
            if exact and old is not None and key in ("stdout", "plot"):
                turn = argv is None or argv[0] == "pattern"
                ok, rel = close(old.decode(), data.decode(), 360.0 if turn else 0.0)
                worst = max(worst, rel)
            if not ok:
                failures += 1
                print("DIFFERS: %s %s (%s)" % (name, key, " ".join(argv or ["python_outputs.py"])))
        if mode == "record" and "report" not in parts and stdin is not None:
            print("note: %s wrote no report" % name)
    if mode == "compare":
        print("%d cases, %d differences; largest relative change of an exact figure %.3g"
              % (n, failures, worst))
    else:
        print("%d cases recorded in %s" % (n, store))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
