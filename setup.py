"""Builds the Python module `quaven` for pip (`pip install --no-build-isolation .`).

CMake stays the one description of the build: this script configures the
project in setuptools' build folder and builds the module's target there,
so the extension is compiled from the same sources with the same flags as
`cmake -S . -B build` (-ffp-contract=off, the default build type), and its
legacy single-precision figures are the command line's to the bit. The
version is the one of `project(quaven VERSION ...)` in CMakeLists.txt, which
CMake also compiles into `quaven.__version__` and `quaven --version`.

Needs cmake, a C++17 compiler and the project's Debian packages
(tools/install-deps), with pybind11 and numpy importable by the interpreter
pip runs (a `python3 -m venv --system-site-packages` venv sees Debian's).
"""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def cmake_version():
    """The project's version as CMakeLists.txt declares it."""
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(\s*quaven\s+VERSION\s+([0-9][0-9.]*)", text)
    if not found:
        sys.exit("setup.py: no 'project(quaven VERSION ...)' in CMakeLists.txt")
    return found.group(1)


class CMakeBuild(build_ext):
    """Builds the extension by CMake's target quaven_python and copies it to
    where setuptools packs it."""

    def build_extension(self, ext):
        cmake = shutil.which("cmake")
        if cmake is None:
            sys.exit("setup.py: cmake is needed to build quaven (Debian: apt-get install cmake)")
        build = Path(self.build_temp).resolve() / "cmake"
        configure = [
            cmake, "-S", str(ROOT), "-B", str(build),
            f"-DPython3_EXECUTABLE={sys.executable}",
            "-DQUAVEN_PYTHON=ON", "-DQUAVEN_PYTHON_REQUIRED=ON",
            "-DQUAVEN_BUILD_TESTS=OFF", "-DQUAVEN_BUILD_BENCHMARKS=OFF",
        ]
        compile_ = [cmake, "--build", str(build), "--target", "quaven_python"]
        if "CMAKE_BUILD_PARALLEL_LEVEL" not in os.environ:
            compile_ += ["--parallel", str(self.parallel or os.cpu_count() or 1)]
        subprocess.run(configure, check=True)
        subprocess.run(compile_, check=True)
        built = sorted((build / "python").glob("quaven*.so"))
        if len(built) != 1:
            sys.exit(f"setup.py: expected one quaven*.so in {build / 'python'}, found {len(built)}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)
        # The default build type keeps debug information (-g), four fifths of
        # the file; the installed copy goes without it, its code unchanged.
        strip = shutil.which("strip")
        if strip:
            subprocess.run([strip, "--strip-debug", str(target)], check=True)


# setuptools' folders in build-python/, beside CMake's build/ rather than in it.
(ROOT / "build-python").mkdir(exist_ok=True)

setup(
    version=cmake_version(),
    options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}},
    # The module is the one extension, built by CMake; no Python packages.
    packages=[],
    py_modules=[],
    ext_modules=[Extension("quaven", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
