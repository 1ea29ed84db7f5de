"""The module installed as its users install it, then imported from there:
- `cmake --install` of the build under test into a temporary prefix;
- `pip install --no-build-isolation --no-index` of a copy of the sources, offline, in a
  `python3 -m venv --system-site-packages` venv (Debian's pip, setuptools and pybind11).
Each installed module has the program's version (pip's also as package metadata) and
gives the command line's numbers to the last bit, the legacy single-precision ones
included (the same sources built with the same flags).

Usage: install.py BUILD_DIR (the command line in QUAVEN_BINARY). Exits 77, ctest's
skip, where python3-venv is missing, after the cmake --install part has passed.
"""
import importlib.util
import json
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[2]
QUAVEN = os.environ["QUAVEN_BINARY"]
# What pip needs of the tree: the build and its description.
SOURCES = ["CMakeLists.txt", "setup.py", "pyproject.toml", "README.md", "LICENSE", "src"]

# In the installed module: where it is, its versions, and a legacy design and
# an exact response as the repr of each double (exact to the bit).
PROBE = """
import importlib.metadata, json, quaven
try:
    metadata = importlib.metadata.version("quaven")
except importlib.metadata.PackageNotFoundError:
    metadata = None
rows = lambda r: [[repr(float(x)) for x in r[c]] for c in r.keys()[:-1]]
print(json.dumps({"file": quaven.__file__, "version": quaven.__version__, "metadata": metadata,
                  "design": rows(quaven.design(10, 30, s=[0, 0.25, 0.5, 0.75])),
                  "response": rows(quaven.response(1.2, 3, [8, 10, 12], exact=True, throat=0.45))}))
"""


def run(command, **kwargs):
    done = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if done.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed ({done.returncode}):\n{done.stdout[-3000:]}{done.stderr[-3000:]}")
    return done.stdout


def csv_columns(*args):
    lines = run([QUAVEN, *args, "--format", "csv"]).splitlines()
    return list(zip(*(line.split(",")[:-1] for line in lines[1:])))


def check(python, env, where):
    got = json.loads(run([python, "-c", PROBE], env=env, cwd=where))
    version = run([QUAVEN, "--version"]).split()[1]
    assert Path(got["file"]).is_relative_to(where), got["file"]
    assert got["version"] == version, (got["version"], version)
    # The CSV's shortest text of a float (legacy) or a double (exact) reads
    # back to the same value: the figures agree to the bit.
    design = csv_columns("design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "0.75", "0.25")
    response = csv_columns("response", "--aperture", "1.2", "--slant", "3", "--exact", "--throat", "0.45",
                           "--freq-range", "8", "12", "2")
    for name, cli, module, same in (("design", design, got["design"], np.float32),
                                    ("response", response, got["response"], float)):
        assert len(cli) == len(module), name
        for texts, values in zip(cli, module):
            for text, value in zip(texts, values):
                assert (text == "" and not np.isfinite(float(value))) or same(text) == same(value), \
                    (name, text, value)
        if same is np.float32:
            assert all(np.float32(v) == float(v) for column in module for v in map(float, column)), name
    return got


def main():
    build = Path(sys.argv[1])
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(PIP_DISABLE_PIP_VERSION_CHECK="1", PIP_NO_CACHE_DIR="1")
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)

        prefix = tmp / "prefix"
        run(["cmake", "--install", str(build), "--prefix", str(prefix)])
        modules = list(prefix.glob("lib/python3*/*-packages/quaven*.so"))
        assert len(modules) == 1, modules
        check(sys.executable, {**env, "PYTHONPATH": str(modules[0].parent)}, prefix)
        print("cmake --install: the module imports from", modules[0].relative_to(prefix))

        if importlib.util.find_spec("ensurepip") is None:
            print("skipped: pip install in a venv needs python3-venv (Debian), which is not installed")
            return 77
        source = tmp / "source"
        source.mkdir()
        for name in SOURCES:
            if (ROOT / name).is_dir():
                shutil.copytree(ROOT / name, source / name)
            else:
                shutil.copyfile(ROOT / name, source / name)
        venv = tmp / "venv"
        run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)])
        python = venv / "bin" / "python"
        run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index", str(source)], env=env, cwd=tmp)
        got = check(python, env, venv)
        assert got["metadata"] == got["version"], got
        print(f"pip install: quaven {got['metadata']} imports from", Path(got["file"]).relative_to(venv))
    return 0


if __name__ == "__main__":
    sys.exit(main())
