"""The drawing library's files read back by readers that share no code with
it, and compared with the bodies' closed forms:

- STL: admesh finds it closed (every edge shared by two facets, exactly),
  consistently oriented, in one part; its volume, summed here from the
  facets, is the body's by the shells' formulas (cylinders and frusta)
  times segments sin(2 pi/segments)/(2 pi), the ratio of the inscribed
  polygon's area to the circle's (each cross-section of the mesh is that
  polygon, as every quadrilateral of two rings is planar);
- DXF: ezdxf reads and audits it; the outline's corners are the body's,
  built here from the geometry; the dimensions and notes carry its figures;
- SVG: valid XML with the same figures;
- Touchstone: scikit-rf reads both forms back to the values written.

With the program QUAVEN as well, the same for the command line's files:
`quaven geometry` writes the reference horn's SVG, DXF and STL (read back
as above, its dimensions against the closed forms and the full wave's
default guide and wall at 10 GHz), and `quaven response --full-wave`
writes its S11 as CSV and as Touchstone files, which scikit-rf reads back
to the CSV's s11_re and s11_im.

Usage: check_files.py WRITE_FILES WORKDIR [QUAVEN]
"""
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

import numpy as np

WRITER, WORK = sys.argv[1], sys.argv[2]
QUAVEN = sys.argv[3] if len(sys.argv) > 3 else None
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def close(x, y, rel):
    return abs(x - y) <= rel * max(abs(x), abs(y))


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
r = subprocess.run([WRITER, WORK], capture_output=True, text=True)
if r.returncode != 0:
    sys.exit("write_files failed: %s" % r.stderr)
bodies = json.load(open(os.path.join(WORK, "bodies.json")))


def quaven(*args):
    r = subprocess.run([QUAVEN] + [str(a) for a in args], capture_output=True, text=True)
    check(r.returncode == 0 and r.stderr == "", "quaven %s: status %d, %s" % (" ".join(map(str, args)), r.returncode, r.stderr))
    return r.stdout


def csv_rows(text):
    lines = text.strip().split("\n")
    names = lines[0].split(",")
    return [dict(zip(names, line.split(","))) for line in lines[1:]]



def shape(body):
    """Flare angle, aperture plane, the outer wall's corner on the guide and
    the rim's outer radius, from the geometry."""
    b, l, a, R, w = (body[k] for k in "blaRw")
    if a > b:
        t = math.asin(a / R)
        zap = l + (a - b) / math.tan(t)
    else:
        t, zap = 0.0, l
    # The outer cone is the inner one moved w along its normal: it meets the
    # outer guide wall w tan(t/2) before the throat and the aperture plane
    # at a + w / cos t.
    zk = l - w * math.tan(t / 2)
    ro = a + w / math.cos(t)
    return t, zap, zk, ro


def corners(body):
    b, l, a, w = body["b"], body["l"], body["a"], body["w"]
    t, zap, zk, ro = shape(body)
    c = [(0, 0), (b, 0), (b, l)] + ([(a, zap)] if a > b else [])
    if w > 0:
        c += [(ro, zap)] + ([(b + w, zk)] if a > b else []) + [(b + w, -w), (0, -w)]
    return c


def volume(body):
    """The solid's volume: outer cylinder and frustum less the bore's."""
    b, l, a, w = body["b"], body["l"], body["a"], body["w"]
    t, zap, zk, ro = shape(body)
    frustum = lambda h, r1, r2: math.pi * h * (r1 * r1 + r1 * r2 + r2 * r2) / 3
    outer = math.pi * (b + w) ** 2 * (w + zk) + frustum(zap - zk, b + w, ro)
    bore = math.pi * b * b * l + frustum(zap - l, b, a)
    return outer - bore


def figures(body):
    """The texts each file must carry, the number as the drawing rounds it."""
    u, d = body["unit_m"], body["decimals"]
    f = lambda m: "%.*f" % (d, m / u)
    b, l, a, R, w = (body[k] for k in "blaRw")
    t, zap, zk, ro = shape(body)
    dims = [("Ø", f(2 * b)), ("aperture Ø", f(2 * a)), ("guide length", f(l))]
    notes = ["radius b " + f(b), "aperture radius a " + f(a)]
    if a > b:
        cone = math.sqrt(R * R - a * a)
        dims += [("horn length", f(zap - l)), ("flare half-angle", "%.2f°" % math.degrees(t))]
        notes += ["slant radius R " + f(R), "apex to aperture plane) " + f(cone),
                  "throat plane to aperture plane) " + f(cone * (1 - b / a))]
    if w > 0:
        dims += [("rim Ø", f(2 * ro)), ("wall", f(w)), ("overall length", f(zap + w))]
    return dims, notes


def to_dxf(text):
    return text.replace("Ø", "%%c").replace("°", "%%d")


if QUAVEN:
    # The reference horn in inches with the guide and wall a full-wave
    # response at 10 GHz solves by default: its dimensions, then its files,
    # which join the library's bodies for the checks below.
    IN = 0.0254
    horn = ["--aperture", 1.2, "--slant", 3, "--throat", 0.45]
    solved = json.loads(quaven("response", "--full-wave", *horn, "--freq-range", 10, 10, 1, "--format", "json"))
    cli_body = {"name": "cli", "b": 0.45 * IN, "l": solved["inputs"]["guide_length"] * IN, "a": 1.2 * IN,
                "R": 3 * IN, "w": solved["inputs"]["wall"] * IN, "unit": "in", "unit_m": IN, "decimals": 3,
                "segments": 120, "stl_refusal": ""}
    horn += ["--freq", 10]
    dims = csv_rows(quaven("geometry", *horn, "--format", "csv"))
    t, zap, zk, ro = shape(cli_body)
    b, l, a, R, w = (cli_body[k] for k in "blaRw")
    expected = {"throat_radius_in": b, "guide_length_in": l, "wall_in": w, "aperture_radius_in": a,
                "slant_radius_in": R, "cone_length_in": math.sqrt(R * R - a * a), "horn_length_in": zap - l,
                "outer_radius_in": max(ro, b + w), "overall_length_in": zap + w}
    check(len(dims) == 1, "quaven geometry: %d rows" % len(dims))
    for key, value in expected.items():
        got = float(dims[0][key]) * IN
        check(close(got, value, 1e-12), "quaven geometry: %s %.12g m, closed form %.12g m" % (key, got, value))
    check(close(float(dims[0]["flare_half_angle_deg"]), math.degrees(t), 1e-12), "quaven geometry: flare angle")
    for ext in ("svg", "dxf"):
        quaven("geometry", *horn, "--output", os.path.join(WORK, "cli." + ext))
    quaven("geometry", *horn, "--segments", 120, "--output", os.path.join(WORK, "cli.stl"))
    bodies.append(cli_body)


# ------------------------------------------------------------------ STL
for body in bodies:
    name = body["name"]
    path = os.path.join(WORK, name + ".stl")
    if body["segments"] == 0:
        check(not os.path.exists(path), "%s: an STL of a wall of no thickness" % name)
        check("thicker than 0" in body["stl_refusal"], "%s: refusal %r" % (name, body["stl_refusal"]))
        continue
    data = open(path, "rb").read()
    check(not data.startswith(b"solid"), "%s.stl: a binary STL whose header starts 'solid'" % name)
    count = struct.unpack("<I", data[80:84])[0]
    check(len(data) == 84 + 50 * count, "%s.stl: %d bytes for %d facets" % (name, len(data), count))
    facets = np.frombuffer(data[84:], dtype=np.dtype([("n", "<f4", 3), ("v", "<f4", (3, 3)), ("a", "<u2")]))
    v = facets["v"].astype(np.float64)
    mesh = np.sum(np.einsum("ij,ij->i", v[:, 0], np.cross(v[:, 1], v[:, 2]))) / 6
    n = body["segments"]
    expected = volume(body) * 1e9 * n * math.sin(2 * math.pi / n) / (2 * math.pi)  # mm^3
    check(close(mesh, expected, 2e-6), "%s.stl: volume %.9g mm^3, closed form %.9g" % (name, mesh, expected))
    # The stored normals agree with the vertices' order.
    normals = np.cross(v[:, 1] - v[:, 0], v[:, 2] - v[:, 0])
    normals /= np.linalg.norm(normals, axis=1)[:, None]
    check(np.max(np.abs(normals - facets["n"])) < 1e-5, "%s.stl: stored normals disagree" % name)

    a = subprocess.run(["admesh", path], capture_output=True, text=True).stdout
    stat = lambda label: re.search(re.escape(label) + r"\s*:\s*(-?[\d.]+)", a)
    for label, want in [("Number of parts", 1), ("Degenerate facets", 0), ("Edges fixed", 0),
                        ("Facets removed", 0), ("Facets added", 0), ("Facets reversed", 0),
                        ("Backwards edges", 0), ("Normals fixed", 0)]:
        m = stat(label)
        check(m is not None and float(m.group(1)) == want, "%s.stl: admesh %s %s" % (name, label, m and m.group(1)))
    m = re.search(r"Total disconnected facets\s*:\s*(\d+)\s+(\d+)", a)
    check(m is not None and m.group(1) == "0", "%s.stl: admesh finds disconnected facets" % name)
    # admesh sums the volume in single precision: a few parts in 1e5.
    m = stat("Volume")
    check(m is not None and close(float(m.group(1)), expected, 1e-4), "%s.stl: admesh volume %s" % (name, m and m.group(1)))

# ------------------------------------------------------------------ DXF
import ezdxf  # noqa: E402

for body in bodies:
    name, u = body["name"], body["unit_m"]
    doc = ezdxf.readfile(os.path.join(WORK, name + ".dxf"))
    auditor = doc.audit()
    check(not auditor.has_errors, "%s.dxf: ezdxf's audit: %s" % (name, [str(e.message) for e in auditor.errors]))
    check(doc.header.get("$INSUNITS") == {"mm": 4, "cm": 5, "in": 1}[body["unit"]],
          "%s.dxf: $INSUNITS %s" % (name, doc.header.get("$INSUNITS")))
    layers = {layer.dxf.name for layer in doc.layers}
    check({"OUTLINE", "HATCH", "CENTER", "GUIDES", "DIMENSIONS", "NOTES"} <= layers, "%s.dxf: layers %s" % (name, layers))
    msp = doc.modelspace()
    outlines = [[(p[0], p[1]) for p in e.points()] for e in msp.query("POLYLINE[layer=='OUTLINE']")]
    expected = [[(z / u, side * rho / u) for rho, z in corners(body)] for side in (1, -1)]
    ok = len(outlines) == 2 and all(
        len(o) == len(e) and all(close(p[0], q[0], 1e-9) or abs(p[0] - q[0]) < 1e-12 for p, q in zip(o, e))
        and all(abs(p[1] - q[1]) <= 1e-9 * max(1.0, abs(q[1])) for p, q in zip(o, e))
        for o, e in zip(outlines, expected))
    check(ok, "%s.dxf: outline %s, expected %s" % (name, outlines, expected))
    hatched = len(msp.query("LINE[layer=='HATCH']"))
    check(hatched > 10 if body["w"] > 0 else hatched == 0, "%s.dxf: %d hatch lines" % (name, hatched))
    texts = [t.dxf.text for t in msp.query("TEXT")]
    dims, notes = figures(body)
    for what, value in dims:
        check(any(to_dxf(what + " " + value) in t for t in texts), "%s.dxf: no '%s %s' in %s" % (name, what, value, texts))
    for note in notes:
        check(any(note in t for t in texts), "%s.dxf: no note '%s'" % (name, note))

# ------------------------------------------------------------------ SVG
SVG = "{http://www.w3.org/2000/svg}"
for body in bodies:
    name = body["name"]
    root = ET.parse(os.path.join(WORK, name + ".svg")).getroot()
    check(root.tag == SVG + "svg" and root.get("width", "").endswith(body["unit"]),
          "%s.svg: root %s width %s" % (name, root.tag, root.get("width")))
    groups = {g.get("id"): g for g in root.iter(SVG + "g")}
    check({"section", "hatch", "outline", "dimensions", "text"} <= set(groups), "%s.svg: groups %s" % (name, set(groups)))
    drawn = [e for e in groups["outline"] if e.tag in (SVG + "polyline", SVG + "polygon")]
    check(len(drawn) == 2, "%s.svg: %d outline paths" % (name, len(drawn)))
    texts = ["".join(t.itertext()) for t in root.iter(SVG + "text")]
    dims, notes = figures(body)
    for what, value in dims:
        check(any(what + " " + value in t for t in texts), "%s.svg: no '%s %s'" % (name, what, value))
    for note in notes:
        check(any(note in t for t in texts), "%s.svg: no note '%s'" % (name, note))

# ------------------------------------------------------------ Touchstone
import skrf  # noqa: E402

rows = sorted(tuple(float(x) for x in line.split(",")) for line in open(os.path.join(WORK, "s11.csv")).read().split()[1:])
for form in ("ri", "ma"):
    path = os.path.join(WORK, form + ".s1p")
    net = skrf.Network(path)
    f = net.f / 1e9
    s = net.s[:, 0, 0]
    check(len(f) == len(rows), "%s.s1p: %d frequencies, %d written" % (form, len(f), len(rows)))
    for fi, si, (fr, re_, im) in zip(f, s, rows):
        check(close(fi, fr, 1e-12) and abs(si - complex(re_, im)) <= 1e-11 * max(1.0, abs(complex(re_, im))),
              "%s.s1p: %.9g GHz %s, CSV %.9g GHz %s" % (form, fi, si, fr, complex(re_, im)))
    check(np.all(net.z0 == 50), "%s.s1p: reference %s" % (form, net.z0[0]))
    check("TE11" in net.comments and "throat plane" in net.comments, "%s.s1p: comments %r" % (form, net.comments))

if QUAVEN:
    # The full wave's S11 of the reference horn, swept downwards: the CSV and
    # both Touchstone forms of the same run, read back in increasing frequency.
    fw = ["response", "--full-wave", "--aperture", 1.2, "--slant", 3, "--throat", 0.45, "--freq-range", 11.5, 9, -1.25]
    rows = csv_rows(quaven(*fw, "--format", "csv"))
    s11 = sorted((float(r["frequency_ghz"]), complex(float(r["s11_re"]), float(r["s11_im"])), float(r["s11_db"]))
                 for r in rows)
    check(len(s11) == 3, "response --full-wave: %d rows" % len(s11))
    for f, s, db in s11:
        check(abs(20 * math.log10(abs(s)) - db) < 1e-9, "%.9g GHz: s11_db %.12g, |s11_re + j s11_im| %.12g dB" %
              (f, db, 20 * math.log10(abs(s))))
    for form in ("touchstone", "touchstone-ma"):
        path = os.path.join(WORK, "cli-%s.s1p" % form)
        quaven(*fw, "--format", form, "--output", path)
        net = skrf.Network(path)
        got = list(zip(net.f / 1e9, net.s[:, 0, 0]))
        check(len(got) == len(s11), "%s: %d frequencies" % (path, len(got)))
        for (fi, si), (fr, sr, _) in zip(got, s11):
            check(close(fi, fr, 1e-12) and abs(si - sr) <= 1e-11,
                  "%s: %.9g GHz %s, CSV %.9g GHz %s" % (path, fi, si, fr, sr))
        check("TE11" in net.comments and "aperture_radius 1.2" in net.comments, "%s: comments %r" % (path, net.comments))

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("drawing files: %d bodies and %d Touchstone files read back" % (len(bodies), 4 if QUAVEN else 2))
