"""The Python module against the built command line: same numbers as its CSV,
same messages, any sequence or a scalar where a sweep is taken."""
import html.parser
import math
import os
import subprocess
import sys

import numpy as np
import pytest

import quaven

QUAVEN = os.environ.get("QUAVEN_BINARY", "quaven")


def run(*args):
    return subprocess.run([QUAVEN, *args], capture_output=True, text=True)


def csv(*args):
    done = run(*args, "--format", "csv")
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    return lines[0].split(","), [line.split(",") for line in lines[1:]]


def sweep(start, step, n, exact):
    """The values of a command-line sweep: start + (i - 1) step, computed in
    the precision of the mode (single for the legacy models)."""
    t = np.float64 if exact else np.float32
    return (t(start) + t(np.arange(n)) * t(step)).astype(np.float64)


# The full-wave horn's feed guide (radius 0.45 in) and 1.5 mm wall.
FULL_WAVE = ["--full-wave", "--throat", "0.45", "--wall", "0.0590551"]

# (command-line arguments, sweep option, binding call given the sweep values)
CASES = [
    (["design", "--freq", "10", "--beamwidth", "30"], "--s-range", "0 0.9 0.1",
     lambda v, ex: quaven.design(10, 30, s=v, exact=ex)),
    (["design", "--freq", "9.5", "--beamwidth", "40", "--level", "6", "--derive-from", "10", "--plane", "avg",
      "--units", "cm"], "--s-range", "0.05 0.65 0.15",
     lambda v, ex: quaven.design(9.5, 40, level_db=6, derive_from=10, plane="avg", s=v, exact=ex, units="cm")),
    (["design", "--freq", "12", "--gain", "20"], "--s-range", "0.1 0.5 0.1",
     lambda v, ex: quaven.design(12, gain_db=20, s=v)),
    (["response", "--aperture", "1.2", "--slant", "3"], "--freq-range", "8 12 0.5",
     lambda v, ex: quaven.response(1.2, 3, v, exact=ex)),
    (["design", "--freq", "10", "--beamwidth", "100", "--throat", "0.4"], "--s-range", "0 1 0.25",
     lambda v, ex: quaven.design(10, 100, s=v, throat=0.4, exact=ex)),
    (["response", "--aperture", "3", "--slant", "inf", "--level", "12", "--derive-from", "10", "--units", "cm"],
     "--freq-range", "10 4 -1.5",
     lambda v, ex: quaven.response(3, math.inf, v, level_db=12, derive_from=10, exact=ex, units="cm")),
    (["response", "--aperture", "1.2", "--slant", "1.5", "--throat", "0.4"], "--freq-range", "2 40 6",
     lambda v, ex: quaven.response(1.2, 1.5, v, throat=0.4, exact=ex)),
    (["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10"], "--angles", "0 180 7.5",
     lambda v, ex: quaven.pattern(1.2, 3, 10, v, exact=ex)),
    # The dish feed is exact physics only: a judged horn over f/D, and designs
    # over S (the best row marked) at one f/D, in centimetres.
    (["feed", "--freq", "10", "--aperture", "1.2", "--slant", "3"], "--f-over-d-range", "0.3 0.9 0.15",
     lambda v, ex: quaven.feed(10, v, aperture=1.2, slant=3)),
    (["feed", "--freq", "12", "--f-over-d", "0.4", "--units", "cm"], "--s-range", "0.1 0.5 0.2",
     lambda v, ex: quaven.feed(12, 0.4, s=v, units="cm")),
    # The full wave of a horn 2.4 in across with a 1.5 mm wall: its response
    # (with the return loss) and a pattern over the whole sphere.
    (["response", "--aperture", "1.2", "--slant", "3", *FULL_WAVE], "--freq-range", "9 11 1",
     lambda v, ex: quaven.response(1.2, 3, v, full_wave=True, throat=0.45, wall=0.0590551)),
    # ... and swept point by point over enough frequencies that the default
    # sweep would interpolate.
    (["response", "--aperture", "1.2", "--slant", "3", "--sweep", "direct", *FULL_WAVE], "--freq-range", "9 11 0.08",
     lambda v, ex: quaven.response(1.2, 3, v, full_wave=True, throat=0.45, wall=0.0590551, sweep="direct")),
    (["pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", *FULL_WAVE], "--angles", "-180 180 30",
     lambda v, ex: quaven.pattern(1.2, 3, 10, v, full_wave=True, throat=0.45, wall=0.0590551)),
    # ... judged on dishes, and feeds designed on its guide over S.
    (["feed", "--freq", "10", "--aperture", "1.2", "--slant", "3", *FULL_WAVE], "--f-over-d-range", "0.4 1 0.3",
     lambda v, ex: quaven.feed(10, v, aperture=1.2, slant=3, full_wave=True, throat=0.45, wall=0.0590551)),
    (["feed", "--freq", "10", "--f-over-d", "0.4", *FULL_WAVE], "--s-range", "0.1 0.2 0.1",
     lambda v, ex: quaven.feed(10, 0.4, s=v, full_wave=True, throat=0.45, wall=0.0590551)),
    # The open guide in a flange with a choke ring, and choke rings designed
    # round it for a dish, the guide's radius chosen too.
    (["response", "--aperture", "0.45", "--slant", "inf", "--full-wave", "--throat", "0.45", "--flange", "1.4",
      "--choke", "0.6,0.3,0.295,0.05"], "--freq-range", "10 11 1",
     lambda v, ex: quaven.response(0.45, math.inf, v, full_wave=True, throat=0.45, flange=(1.4,),
                                   chokes=[(0.6, 0.3, 0.295, 0.05)])),
    (["feed", "--freq", "10", "--full-wave", "--throat", "0.45", "--choke-design", "1", "--size-guide"],
     "--f-over-d-range", "0.4 0.4 1",
     lambda v, ex: quaven.feed(10, v, full_wave=True, throat=0.45, choke_rings=1, size_guide=True)),
    # ... and designed to a beamwidth on the real horn, swept over a band.
    (["design", "--freq", "10", "--beamwidth", "30", "--band", "9.5", "10.5", *FULL_WAVE], "--s-range", "0 0.2 0.2",
     lambda v, ex: quaven.design(10, 30, s=v, full_wave=True, throat=0.45, wall=0.0590551, band_ghz=(9.5, 10.5))),
]


@pytest.mark.parametrize("exact", [False, True])
@pytest.mark.parametrize("args,option,range_,call", CASES)
def test_agrees_with_the_command_line_csv(args, option, range_, call, exact):
    if exact and "--gain" in args:
        pytest.skip("exact mode designs to a beamwidth only")
    if args[0] == "feed" or "--full-wave" in args:
        if not exact:
            pytest.skip("the feed and the full wave are double-precision physics only")
        columns, rows = csv(*args, option, *range_.split())
    else:
        columns, rows = csv(*args, option, *range_.split(), *(["--exact"] if exact else []))
    start, _, step = range_.split()
    got = call(sweep(start, step, len(rows), exact), exact)
    assert list(got) == columns and columns[-1] == "notes"
    assert got["notes"] == [row[-1] for row in rows]
    # The CSV prints the shortest text of each figure: a double's in exact
    # mode, a float's for the legacy models.
    same = float if exact else np.float32
    for k, name in enumerate(columns[:-1]):
        assert got[name].dtype == np.float64 and got[name].shape == (len(rows),)
        for text, value in zip((row[k] for row in rows), got[name]):
            if text == "":
                assert not math.isfinite(value), name
            else:
                assert same(value) == same(text), (name, text, value)


def test_scalars_sequences_and_arrays_give_the_same_rows():
    by_array = quaven.pattern(1.2, 3, 10, np.array([0.0, 15.0, 30.0]))
    by_list = quaven.pattern(1.2, 3, 10, [0, 15, 30])
    by_tuple = quaven.pattern(1.2, 3, 10, (0.0, np.float32(15), 30))
    by_scalar = quaven.pattern(1.2, 3, 10, 15.0)
    for name in by_array.keys()[:-1]:
        np.testing.assert_array_equal(by_array[name], by_list[name])
        np.testing.assert_array_equal(by_array[name], by_tuple[name])
        assert by_scalar[name].tolist() == [by_array[name][1]]
    assert quaven.design(10, 30, s=[])["s_cycles"].shape == (0,)
    r = quaven.design(10, 30, s=0.2, units="cm")
    assert r.command == "design" and r.inputs["units"] == "cm" and "aperture_radius_cm" in r


# (command-line arguments, binding call, the command line's option names as
# the binding names them)
REFUSED = [
    (["design", "--freq", "0", "--beamwidth", "30", "--s-range", "0", "1", "1"],
     lambda: quaven.design(0, 30, s=[0]), {"--freq": "freq_ghz"}),
    (["design", "--freq", "10", "--beamwidth", "-3", "--s-range", "0", "1", "1"],
     lambda: quaven.design(10, -3, s=[0]), {"--beamwidth": "beamwidth_deg"}),
    (["design", "--freq", "10", "--beamwidth", "30", "--level", "6", "--s-range", "0", "1", "1"],
     lambda: quaven.design(10, 30, level_db=6, s=[0]), {"--level": "level_db", "--derive-from": "derive_from"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--level", "3", "--derive-from", "10",
      "--freq-range", "8", "9", "1"],
     lambda: quaven.response(1.2, 3, [8], level_db=3, derive_from=10),
     {"--level": "level_db", "--derive-from": "derive_from"}),
    (["pattern", "--aperture", "0", "--slant", "3", "--freq", "10", "--angles", "0", "1", "1"],
     lambda: quaven.pattern(0, 3, 10, [0]), {"--aperture": "aperture"}),
    (["pattern", "--aperture", "1.2", "--slant", "1", "--freq", "10", "--angles", "0", "1", "1"],
     lambda: quaven.pattern(1.2, 1, 10, [0]), {"--aperture": "aperture", "--slant": "slant"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "-2", "2", "1", "--exact"],
     lambda: quaven.response(1.2, 3, [-2, -1, 0, 1, 2], exact=True), {"--freq-range -2 2 1": "freqs_ghz"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "8", "9", "1", "--throat", "1.5"],
     lambda: quaven.response(1.2, 3, [8, 9], throat=1.5), {"--aperture": "aperture", "--throat": "throat"}),
    (["design", "--freq", "10", "--beamwidth", "30", "--s-range", "-0.5", "0.1", "0.1"],
     lambda: quaven.design(10, 30, s=np.arange(-0.5, 0.15, 0.1)), {"--s-range -0.5 0.1 0.1": "s"}),
    (["feed", "--freq", "10", "--f-over-d", "0"], lambda: quaven.feed(10, 0), {"--f-over-d": "f_over_d"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "11", "1", "--full-wave", "--throat", "0.3"],
     lambda: quaven.response(1.2, 3, [9, 10, 11], full_wave=True, throat=0.3), {"--throat": "throat"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "10", "10", "1", "--full-wave", "--throat",
      "0.45", "--threads", "0"],
     lambda: quaven.response(1.2, 3, [10], full_wave=True, throat=0.45, threads=0), {"--threads": "threads"}),
    (["response", "--aperture", "1.2", "--slant", "3", "--freq-range", "10", "10", "1", "--full-wave", "--throat",
      "0.45", "--flange", "1"],
     lambda: quaven.response(1.2, 3, [10], full_wave=True, throat=0.45, flange=(1,)), {"--flange": "flange"}),
    (["design", "--freq", "10", "--gain", "1000", "--s-range", "0", "0.6", "0.2"],
     lambda: quaven.design(10, gain_db=1000, s=[0, 0.2, 0.4, 0.6]), {"--gain": "gain_db", "--s-range": "s"}),
]


@pytest.mark.parametrize("args,call,names", REFUSED)
def test_bad_values_raise_the_command_line_message(args, call, names):
    done = run(*args)
    assert done.returncode == 2
    message = done.stderr.splitlines()[0].removeprefix("quaven: ")
    for option, name in names.items():
        message = message.replace(option, name)
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == message


def test_bad_types_and_combinations_raise():
    with pytest.raises(TypeError):
        quaven.design(10, "30", s=[0.1])
    with pytest.raises(TypeError, match="angles_deg"):
        quaven.pattern(1.2, 3, 10, ["0", "1"])
    with pytest.raises(TypeError, match="either beamwidth_deg or gain_db"):
        quaven.design(10, 30, gain_db=20, s=[0.1])
    with pytest.raises(ValueError, match="freqs_ghz: cannot read 'nan'"):
        quaven.response(1.2, 3, [8, math.nan])
    with pytest.raises(ValueError, match="units"):
        quaven.pattern(1.2, 3, 10, [0], units="mm")
    with pytest.raises(ValueError, match="^sweep: 'slow' is neither 'fast' nor 'direct'$"):
        quaven.response(1.2, 3, [10], full_wave=True, throat=0.45, sweep="slow")
    with pytest.raises(ValueError, match="exact designs to a beamwidth"):
        quaven.design(10, gain_db=20, s=[0.1], exact=True)
    with pytest.raises(TypeError, match="^throat is required with full_wave$"):
        quaven.pattern(1.2, 3, 10, [0], full_wave=True)
    with pytest.raises(TypeError, match="^threads needs full_wave$"):
        quaven.pattern(1.2, 3, 10, [0], threads=2)
    with pytest.raises(TypeError, match="^sweep needs full_wave$"):
        quaven.response(1.2, 3, [10], sweep="direct")
    with pytest.raises(ValueError, match="^size_guide is a choke design's: give choke_rings$"):
        quaven.feed(10, 0.4, full_wave=True, throat=0.45, size_guide=True)
    with pytest.raises(ValueError, match="^chokes: give each ring as"):
        quaven.response(0.45, math.inf, [10], full_wave=True, throat=0.45, chokes=[(0.6, 0.3)])

    # Leaving out design's keyword s is named, not answered by pybind11's
    # list of signatures; a table of values is refused, not read flat.
    with pytest.raises(TypeError, match=r"^design\(\) needs s, the phase deviations S"):
        quaven.design(10, 30)
    for call, name in ((lambda v: quaven.response(1.2, 3, v), "freqs_ghz"),
                       (lambda v: quaven.design(10, 30, s=v), "s"),
                       (lambda v: quaven.feed(10, v), "f_over_d")):
        with pytest.raises(ValueError, match=rf"^{name}: expected one number or a 1-D sequence of them, "
                                             r"not an array of shape \(1, 2\)$"):
            call(np.array([[8.0, 9.0]]) if name == "freqs_ghz" else [[0.1, 0.2]])


def test_full_wave_threads_change_no_digit():
    one = quaven.response(1.2, 3, [10], full_wave=True, throat=0.45, threads=1)
    three = quaven.response(1.2, 3, [10], full_wave=True, throat=0.45, threads=3)
    for column in one:
        np.testing.assert_array_equal(one[column], three[column])


def test_a_long_pattern_comes_back_whole():
    angles = np.linspace(-180, 180, 100_000)
    for exact in (False, True):
        p = quaven.pattern(1.2, 3, 10, angles, exact=exact)
        assert p["amplitude_e_db"].shape == angles.shape
        assert np.isfinite(p["phase_h_deg"]).all()


def test_help_explains_the_arguments():
    for name in ("freq_ghz", "beamwidth_deg", "gain_db", "level_db", "derive_from", "plane", "exact", "units"):
        assert name in quaven.design.__doc__
    for name in ("full_wave", "throat", "guide_length", "wall", "s11_db"):
        assert name in quaven.response.__doc__ and name in quaven.feed.__doc__


def test_results_cannot_be_changed():
    r = quaven.design(10, 30, s=[0.1, 0.2], throat=0.45)
    gain = r["gain_db"].copy()
    with pytest.raises(ValueError, match="read-only"):
        r["gain_db"][0] = 5
    with pytest.raises(ValueError):
        r["gain_db"].setflags(write=True)
    with pytest.raises(ValueError):
        r.inputs["s"][0] = 0.5
    with pytest.raises(TypeError):
        r.inputs["freq_ghz"] = 11
    r["notes"].append("changed")
    dict(r)["gain_db"] = None
    np.testing.assert_array_equal(r["gain_db"], gain)
    assert r["notes"] == ["", ""] and r.inputs["freq_ghz"] == 10 and list(r.inputs["s"]) == [0.1, 0.2]
    # Arrays of no rows are frozen too.
    with pytest.raises(ValueError):
        quaven.design(10, 30, s=[])["gain_db"].setflags(write=True)


def test_version_is_the_programs():
    assert run("--version").stdout.split() == ["quaven", quaven.__version__]


class Cells(html.parser.HTMLParser):
    """The caption and the rows of cells (header and data) of an HTML table."""

    def __init__(self, text):
        super().__init__()
        self.caption, self.rows, self.where = "", [], None
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("th", "td", "caption"):
            self.where = tag
            if tag != "caption":
                self.rows[-1].append("")

    def handle_endtag(self, tag):
        self.where = None

    def handle_data(self, data):
        if self.where == "caption":
            self.caption += data
        elif self.where:
            self.rows[-1][-1] += data


def test_html_table_shows_the_rows_and_cuts_long_ones():
    # Rows with notes, infinities and not-a-number.
    short = quaven.design(10, 100, s=[0, 0.5, 1], throat=0.4)
    table = Cells(short._repr_html_())
    assert table.caption == "quaven.Result: design, 3 rows × 14 columns" and len(short.keys()) == 14
    assert table.rows[0] == ["", *short.keys()]
    for i, row in enumerate(table.rows[1:]):
        assert row[0] == str(i) and row[-1] == short["notes"][i]
        assert [float(x) for x in row[1:-1]] == pytest.approx([short[k][i] for k in short.keys()[:-1]], rel=1e-5, nan_ok=True)
    long = quaven.pattern(1.2, 3, 10, np.linspace(-180, 180, 1001))
    table = Cells(long._repr_html_())
    assert table.caption.startswith("quaven.Result: pattern, 1001 rows")
    assert [row[0] for row in table.rows[1:]] == [*map(str, range(10)), "…", *map(str, range(991, 1001))]
    assert table.rows[-1][1] == "180"


def test_to_pandas(monkeypatch):
    r = quaven.feed(10, [0.3, 0.4], aperture=1.2, slant=3)
    with monkeypatch.context() as without:
        without.setitem(sys.modules, "pandas", None)
        with pytest.raises(ImportError, match=r"to_pandas\(\) needs pandas.*python3-pandas"):
            r.to_pandas()
    pytest.importorskip("pandas", reason="pandas (python3-pandas) is not installed")
    frame = r.to_pandas()
    assert list(frame.columns) == r.keys() and len(frame) == 2
    for name in r.keys():
        assert list(frame[name]) == list(r[name])
    assert frame.attrs["command"] == "feed" and frame.attrs["inputs"]["aperture_radius"] == 1.2
    frame.loc[0, "gain_db"] = 0  # a copy, free to change
    assert r["gain_db"][0] != 0
