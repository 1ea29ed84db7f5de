#!/usr/bin/python3
"""The Python module's results for compare_outputs.py: a set of calls in every
model, each printed as its columns, its arrays (every value as the shortest
text that reads back to the same double) and its inputs, then the messages of
some refused calls. Run with PYTHONPATH naming the build's module."""
import math

import numpy as np

import quaven

FW = dict(full_wave=True, throat=0.45)

CALLS = [
    ("design legacy", lambda: quaven.design(10, 30, s=[0.1, 0.3, 0.5])),
    ("design legacy gain", lambda: quaven.design(12, gain_db=20, s=np.arange(0.1, 0.6, 0.1), units="cm")),
    ("design legacy derived", lambda: quaven.design(9.5, 40, level_db=6, derive_from=10, plane="avg",
                                                    s=[0, 0.4, 0.8], throat=0.4)),
    ("design exact", lambda: quaven.design(10, 30, s=[0.1, 0.5], exact=True, throat=0.4)),
    ("response legacy", lambda: quaven.response(1.2, 3, [8, 10, 12], throat=0.45)),
    ("response legacy inf", lambda: quaven.response(3, math.inf, [10, 4], level_db=12, derive_from=10,
                                                    units="cm")),
    ("response exact", lambda: quaven.response(1.2, 3, [8, 12], exact=True, level_db=6)),
    ("response full wave", lambda: quaven.response(1.2, 3, [9, 10], **FW)),
    ("response full wave body", lambda: quaven.response(1.2, 3, 10, wall=0.0590551, guide_length=2, **FW)),
    ("pattern legacy", lambda: quaven.pattern(1.2, 3, 10, [0, 15, 30, 45])),
    ("pattern exact", lambda: quaven.pattern(1.2, 3, 10, [0, 15, 30, 45], exact=True)),
    ("pattern full wave", lambda: quaven.pattern(1.2, 3, 10, [0, 15, 30, 45, 180], **FW)),
    ("feed judge", lambda: quaven.feed(10, [0.3, 0.5], aperture=1.2, slant=3)),
    ("feed best", lambda: quaven.feed(12, 0.35)),
    ("feed over s", lambda: quaven.feed(12, 0.35, s=[0.1, 0.3, 0.5], units="cm")),
    ("feed taper", lambda: quaven.feed(10, 0.5, taper_db=-12)),
    ("feed full wave judge", lambda: quaven.feed(10, [0.3, 0.4], aperture=1.2, slant=3, **FW)),
    ("feed full wave design", lambda: quaven.feed(11.7, 0.4, s=0.2, full_wave=True, throat=0.35)),
]

REFUSED = [
    lambda: quaven.design(10, 30, s=[0.1, 1.5]),
    lambda: quaven.design(-1, 30, s=0.1),
    lambda: quaven.design(10, s=0.1),
    lambda: quaven.response(1.2, 1, [10]),
    lambda: quaven.response(1.2, 3, [10], full_wave=True),
    lambda: quaven.response(1.2, 3, [10], throat=1.5),
    lambda: quaven.response(1.2, 3, [30], **FW),
    lambda: quaven.response(1.2, 3, [10], wall=0.1),
    lambda: quaven.response(1.2, 3, [10], level_db=6),
    lambda: quaven.pattern(1.2, 3, 10, [0], throat=0.4),
    lambda: quaven.feed(10, 0, aperture=1.2, slant=3),
    lambda: quaven.feed(10, 0.4, taper_db=3),
    lambda: quaven.feed(10, 0.4, full_wave=True, throat=0.45),
    lambda: quaven.feed(10, 0.4, aperture=1.2),
    lambda: quaven.response(1.2, 3, [10], units="mm"),
]


def text(x):
    return repr(float(x))


for name, call in CALLS:
    r = call()
    print("==", name, r.command)
    print("columns:", ",".join(r.columns))
    for c in r.columns:
        v = r[c]
        if c == "notes":
            print(c + ":", "|".join(v))
        else:
            print(c + ":", " ".join(text(x) for x in v))
    for k, v in r.inputs.items():
        print("input", k + ":", " ".join(text(x) for x in np.atleast_1d(v)) if not isinstance(v, str) else v)

for call in REFUSED:
    try:
        call()
        print("accepted?")
    except (ValueError, TypeError) as e:
        print(type(e).__name__ + ":", e)
