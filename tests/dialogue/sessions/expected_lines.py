#!/usr/bin/env python3
"""Table lines of the scripted sessions, computed independently of the program.

The horn figures come from the 50-digit models of tests/legacy/make_horn_reference.py
(chbwd, hcwbw, chngn from their own copies of the tables) and the 30-digit aperture
integrals of tests/legacy/gen_pattern_reference.py (the phase centre), and are laid out
in the fixed-width records of the design and response tables. Run:

    python3 tests/dialogue/sessions/expected_lines.py

and compare with the lines of the expected transcripts beside it.
"""
import os
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "legacy"))
import make_horn_reference as horn  # noqa: E402
import gen_pattern_reference as pattern  # noqa: E402

f32 = horn.f32


def phase_centres(f, a, r, be, bh):
    if mp.isnan(be) or mp.isnan(bh):  # the sampling step sqrt(be bh) is not a number
        return mp.nan, mp.nan
    step = mp.sqrt(mp.mpf(be) * bh) * f32(0.0174532905) / 8
    prev, sums = None, [mp.mpf(0), mp.mpf(0)]
    for i in range(5):
        e, h = pattern.field(f, a, r, i * step)
        cur = (pattern.deg(e), pattern.deg(h))
        if prev is not None:
            sums = [sums[k] + pattern.wrapped(cur[k], prev[k]) for k in range(2)]
        prev = cur
    tr = f32(0.0174532905)
    return (sums[0] / ((1 - mp.cos(be * tr / 2)) * 360), sums[1] / ((1 - mp.cos(bh * tr / 2)) * 360))


def field(w, d, x):
    if mp.isinf(x):
        return "Inf".rjust(w)
    if mp.isnan(x):
        return "NaN".rjust(w)
    text = "%.*f" % (d, float(x))
    return text.rjust(w) if len(text) <= w else "*" * w


def design_line(freq, bwc, ilev, iplane, s, un):
    wl = f32(11.80285) / f32(freq)
    aw = f32(horn.chbwd(mp.mpf(f32(s)), f32(bwc), ilev, iplane))
    arad = f32(aw * wl)
    srad = mp.inf if s == 0 else f32(f32(f32(aw * wl) * aw) / f32(2 * f32(s)))
    _, _, be, bh = (f32(b) for b in horn.hcwbw(mp.mpf(f32(freq)), mp.mpf(arad), srad))
    pce, pch = phase_centres(freq, arad, srad, be, bh)
    gain = horn.chngn(mp.mpf(f32(freq)), mp.mpf(arad), srad)
    return (field(6, 3, s) + " " * 6 + field(8, 4, un * arad) + " " * 7 + field(8, 4, un * srad) + " " * 4 +
            field(7, 2, gain) + "  " + field(7, 3, un * pce) + "  " + field(7, 3, un * pch))


def response_line(fr, arad, srad, un, ilev=1, plev=3):
    """The pair of beamwidths at curve level ilev (1: 3 dB, 2: 10 dB) is shown at
    pattern level plev, scaled by the single-precision sqrt(plev / curve level)."""
    e3, h3, be, bh = (f32(b) for b in horn.hcwbw(mp.mpf(f32(fr)), mp.mpf(f32(arad)), mp.mpf(f32(srad))))
    pce, pch = phase_centres(fr, f32(arad), f32(srad), be, bh)
    gain = horn.chngn(mp.mpf(f32(fr)), mp.mpf(f32(arad)), mp.mpf(f32(srad)))
    factor = f32(mp.sqrt(f32(f32(plev) / (3 if ilev == 1 else 10))))
    if ilev == 1:
        e3, h3 = f32(e3 * factor), f32(h3 * factor)
    else:
        be, bh = f32(be * factor), f32(bh * factor)
    return (" " + field(8, 4, fr) + "  " + field(6, 1, e3) + "  " + field(6, 1, be) + "  " + field(7, 3, un * pce) +
            "  " + field(6, 1, h3) + "  " + field(6, 1, bh) + "  " + field(7, 3, un * pch) + "  " + field(7, 2, gain))


def derived_beamwidth(bw, plev, ilev):
    """The design beamwidth on curve level ilev for a beamwidth bw at level plev,
    in single precision as the dialogue derives it: bw * sqrt(curve level / plev)."""
    return f32(f32(bw) * f32(mp.sqrt(f32(f32(3 if ilev == 1 else 10) / f32(plev)))))


def session_test_lines():
    """The lines of tests/dialogue/session_test.cpp that the transcripts lack."""
    print("10 GHz, 60 degrees at 10 dB, H plane, S = 0.2:")
    print(design_line(10.0, 60.0, 2, 2, f32(0.2), 1.0))
    print("10 GHz, 30 degrees at 3.5 dB derived from 3 dB and from 10 dB, E plane, S = 0.2:")
    print(design_line(10.0, derived_beamwidth(30, 3.5, 1), 1, 1, f32(0.2), 1.0))
    print(design_line(10.0, derived_beamwidth(30, 3.5, 2), 2, 1, f32(0.2), 1.0))
    print("12 GHz, 40 degrees at 10 dB, average of the planes, S = 0.3:")
    print(design_line(12.0, 40.0, 2, 3, f32(0.3), 1.0))
    print("3 x 3 inch horn (7.62 cm typed) at 10 GHz, in centimetres:")
    print(response_line(10.0, 3.0, 3.0, f32(2.54)))
    print("1.2 x 3 inch horn at 10 and 11 GHz, 6 dB derived from 10 dB and from 3 dB:")
    for ilev in (2, 1):
        for fr in (10.0, 11.0):
            print(response_line(fr, 1.2, 3.0, 1.0, ilev, 6))
    print("10 GHz, 30 degrees at 3 dB, E plane, S = 0.2 + 0.9, in centimetres:")
    print(design_line(10.0, 30.0, 1, 1, f32(f32(0.2) + f32(0.9)), f32(2.54)))
    print("3 x 6 inch horn (7.62 and 15.24 cm typed) at 1 and 2 GHz, in centimetres:")
    for fr in (1.0, 2.0):
        print(response_line(fr, 3.0, 6.0, f32(2.54)))


def main():
    print("worked example, inches and centimetres:")
    print(design_line(10.0, 30.0, 1, 1, 0.2, 1.0))
    print(design_line(10.0, 30.0, 1, 1, 0.2, f32(2.54)))
    print("design sweep 0.1 to 0.5 and 0:")
    for i in range(5):
        print(design_line(10.0, 30.0, 1, 1, f32(f32(0.1) + f32(i) * f32(0.1)), 1.0))
    print(design_line(10.0, 30.0, 1, 1, 0.0, 1.0))
    print("response of the 1.2 x 3 inch horn, 8 to 12 GHz:")
    for i in range(9):
        print(response_line(f32(8 + i * 0.5), 1.2, 3.0, 1.0))
    session_test_lines()


if __name__ == "__main__":
    main()
