"""Whole runs of `quaven ... --plot FILE`: the SVG it draws is XML with one
line per cut holding every finite value; the normal output is the same bytes
with and without --plot; a plot that cannot be drawn fails cleanly.

Usage: plot_check.py QUAVEN WORKDIR
"""
import os
import re
import resource
import shutil
import signal
import stat
import subprocess
import sys
import threading
import xml.etree.ElementTree as ET

QUAVEN, WORK = sys.argv[1], sys.argv[2]
SVG = "{http://www.w3.org/2000/svg}"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(args, env=None):
    return subprocess.run([QUAVEN] + args, capture_output=True, env=env)


def curves(path):
    """The plotted lines of an SVG from gnuplot: (key text, number of points,
    number of pieces) per plot group, in drawing order. The key's own sample
    line is the first piece of each group and is not counted."""
    root = ET.parse(path).getroot()
    found = []
    for g in root.iter(SVG + "g"):
        if not g.get("id", "").startswith("gnuplot_plot_"):
            continue
        text = "".join("".join(t.itertext()) for t in g.iter(SVG + "text")).strip()
        d = " ".join(p.get("d", "") for p in g.iter(SVG + "path"))
        pieces = re.findall(r"M[^M]*", d)
        points = [len(re.findall(r"-?[\d.]+,-?[\d.]+", piece)) for piece in pieces]
        found.append((text, sum(points[1:]), len(pieces) - 1))
    return found


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
svg = os.path.join(WORK, "pattern.svg")
horn = ["--aperture", "1.2", "--slant", "3", "--freq", "10"]

# Legacy pattern over 361 angles, floor low enough that no value is cut:
# the power panel and the phase panel each hold one line per cut.
r = run(["pattern"] + horn + ["--angles", "-180", "180", "1", "--floor", "-200", "--plot", svg])
check(r.returncode == 0, "legacy pattern plot: exit status %d: %s" % (r.returncode, r.stderr))
c = curves(svg)
cuts = [x for x in c if x[0] in ("E plane", "H plane")]
check([x[0] for x in cuts] == ["E plane", "H plane"] * 2, "legacy pattern: cuts %s" % [x[0] for x in c])
check(all(x[1] == 361 for x in cuts[:2]), "legacy pattern: power points %s, not 361" % cuts[:2])
# The phase wraps; every value is still drawn.
check(all(x[1] == 361 for x in cuts[2:]), "legacy pattern: phase points %s, not 361" % cuts[2:])
check(any(x[0] == "−3 dB" for x in c) and any(x[0] == "−10 dB" for x in c), "legacy pattern: levels not marked")

# Exact pattern: the power is -inf straight behind the horn, a gap, not a value.
r = run(["pattern"] + horn + ["--angles", "90", "180", "1", "--floor", "-400", "--exact", "--plot", svg])
rows = run(["pattern"] + horn + ["--angles", "90", "180", "1", "--exact", "--format", "csv"]).stdout.decode()
infinite = sum(1 for line in rows.splitlines()[1:] if line.split(",")[1] == "")
check(r.returncode == 0 and infinite >= 1, "exact pattern: status %d, %d infinite rows" % (r.returncode, infinite))
c = curves(svg)
check(c[0][0] == "E plane" and c[0][1] == 91 - infinite, "exact pattern: E power %s, not %d points" % (c[0], 91 - infinite))

# The polar variant is drawn too.
r = run(["pattern"] + horn + ["--angles", "-180", "180", "1", "--plot-polar", "--plot", svg])
check(r.returncode == 0 and len(curves(svg)) >= 4, "polar pattern: %s" % r.stderr)

# Response and design: one line per named curve, one point per row.
r = run(["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "8", "12", "0.1", "--plot", svg])
c = curves(svg)
check(r.returncode == 0 and len(c) == 7 and all(x[1] == 41 for x in c), "response plot: %s" % c)
r = run(["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "1", "0.05", "--plot", svg])
c = dict((x[0], x[1]) for x in curves(svg))
# S = 0 has an infinite slant radius: a gap.
check(r.returncode == 0 and c == {"Aperture radius": 21, "Slant radius": 20, "Gain": 21}, "design plot: %s" % c)

# Feed: the budget and the tapers, one point per f/D.
r = run(["feed", "--freq", "10", "--f-over-d-range", "0.3", "0.5", "0.1", "--aperture", "1.2", "--slant", "3",
         "--plot", svg])
c = curves(svg)
check(r.returncode == 0 and len(c) == 8 and all(x[1] == 3 for x in c), "feed plot: %s" % c)

# A title longer than the picture is wide (a full-wave horn's) comes in
# lines that fit, with every word of it.
r = run(["feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--full-wave",
         "--throat", "0.45", "--plot", svg])
# The body solved closes it.
texts = ["".join(t.itertext()) for t in ET.parse(svg).getroot().iter(SVG + "text")]
first = next((k for k, t in enumerate(texts) if t.startswith("Dish feed")), len(texts))
lines = texts[first:first + 2]
check(r.returncode == 0 and len(lines) == 2 and all(len(t) <= 95 for t in lines)
      and " ".join(lines).endswith("(full-wave solution). Full-wave body: feed guide radius 0.45 in, length 2.3035 in, "
                                   "wall 0.076783 in"), "long title: %s" % lines)

# The normal output is the same bytes with and without --plot, in every form.
for cmd in (["pattern"] + horn + ["--angles", "0", "90", "5"],
            ["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "8", "12", "1"],
            ["design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "1", "0.1", "--exact"],
            ["feed", "--freq", "10", "--f-over-d", "0.4", "--s-range", "0", "0.4", "0.2"]):
    for form in ("table", "csv", "json"):
        plain = run(cmd + ["--format", form])
        plotted = run(cmd + ["--format", form, "--plot", os.path.join(WORK, "same.png")])
        check(plain.returncode == 0 and plain.stdout == plotted.stdout and plain.stderr == plotted.stderr,
              "%s %s: output changed by --plot" % (cmd[0], form))

# A link is followed, and the file it ends at replaced in its own folder; a
# FIFO is written for its reader, and stays a FIFO.
links, real = os.path.join(WORK, "links"), os.path.join(WORK, "real")
os.makedirs(links)
os.makedirs(real)
os.symlink("../real/plot.svg", os.path.join(links, "p.svg"))
r = run(["pattern"] + horn + ["--angles", "0", "90", "5", "--plot", os.path.join(links, "p.svg")])
check(r.returncode == 0 and os.readlink(os.path.join(links, "p.svg")) == "../real/plot.svg"
      and len(curves(os.path.join(real, "plot.svg"))) >= 4 and os.listdir(real) == ["plot.svg"],
      "plot through a link: %d %r, %s" % (r.returncode, r.stderr, os.listdir(real)))
fifo = os.path.join(WORK, "fifo.svg")
os.mkfifo(fifo)
received = []
reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()))
reader.start()
r = run(["pattern"] + horn + ["--angles", "0", "90", "5", "--plot", fifo])
reader.join()
check(r.returncode == 0 and stat.S_ISFIFO(os.stat(fifo).st_mode) and received[0].rstrip().endswith(b"</svg>"),
      "plot onto a FIFO: %d %r" % (r.returncode, r.stderr))
for f in (os.path.join(links, "p.svg"), fifo):
    os.remove(f)
shutil.rmtree(links)
shutil.rmtree(real)

# A plot that cannot be drawn: exit status 1, one line, no plot file and no
# temporary file left; a file already there is untouched.
target = os.path.join(WORK, "kept.svg")
with open(target, "w") as f:
    f.write("before")
no_gnuplot_on_path = dict(os.environ, PATH=WORK)
for env, what in ((dict(os.environ, QUAVEN_GNUPLOT="/nonexistent/gnuplot"), "named gnuplot missing"),
                  (no_gnuplot_on_path, "gnuplot not on PATH"),
                  (dict(os.environ, QUAVEN_GNUPLOT="/bin/false"), "gnuplot failing")):
    before = set(os.listdir(WORK))
    r = run(["pattern"] + horn + ["--angles", "0", "90", "1", "--plot", target], env)
    err = r.stderr.decode()
    check(r.returncode == 1 and err.count("\n") == 1 and err.startswith("quaven: "), "%s: %d %r" % (what, r.returncode, err))
    check(open(target).read() == "before" and set(os.listdir(WORK)) == before, "%s: files changed" % what)
# Before any work: nothing on standard output.
r = run(["pattern"] + horn + ["--angles", "0", "90", "1", "--plot", target], no_gnuplot_on_path)
check(r.stdout == b"", "gnuplot not on PATH: output written before the refusal")
r = run(["pattern"] + horn + ["--angles", "0", "90", "1", "--plot", os.path.join(WORK, "no", "such", "x.svg")])
check(r.returncode == 1 and r.stdout == b"" and r.stderr.decode().count("\n") == 1, "unwritable folder: %r" % r.stderr)
check(not os.path.exists(os.path.join(WORK, "no")), "unwritable folder: created")
# A file-size limit that gnuplot's file runs into: gnuplot is killed by
# SIGXFSZ, or, with the signal ignored, ends well with its file cut short.
for ignore in (False, True):
    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (20000, 20000))
        if ignore:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    for name in ("kept.svg", "kept.png"):
        limited = subprocess.run([QUAVEN, "pattern"] + horn + ["--angles", "-180", "180", "0.1", "--plot",
                                                               os.path.join(WORK, name)],
                                 capture_output=True, preexec_fn=limit)
        check(limited.returncode == 1 and limited.stderr.decode().count("\n") == 1,
              "file-size limit: %r" % limited.stderr)
        check(set(os.listdir(WORK)) == before and not os.path.exists(os.path.join(WORK, "kept.png")),
              "file-size limit: files changed")
check(open(target).read() == "before", "file-size limit: the previous file changed")
r = run(["pattern"] + horn + ["--angles", "0", "90", "1", "--plot", os.path.join(WORK, "x.gif")])
check(r.returncode == 2 and not os.path.exists(os.path.join(WORK, "x.gif")), "unknown extension: %d" % r.returncode)

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
