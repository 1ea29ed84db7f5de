"""Runs the example notebooks as Jupyter would, each in a fresh kernel of Debian's
interpreter with the module under test on its path: every cell runs without an
error or a warning, the results show as HTML tables and the plots as pictures. The
notebooks are kept in git without outputs.

Usage: notebook.py NOTEBOOK... Exits 77, ctest's skip, where nbclient, ipykernel,
matplotlib or pandas is missing.
"""
import importlib.util
import os
import sys
import tempfile

NEEDED = {"nbclient": "python3-nbclient", "nbformat": "python3-nbformat", "ipykernel": "python3-ipykernel",
          "matplotlib": "python3-matplotlib", "pandas": "python3-pandas"}


def main(paths):
    missing = [package for module, package in NEEDED.items() if importlib.util.find_spec(module) is None]
    if missing:
        print(f"skipped: running the example notebooks needs {', '.join(missing)} (Debian), not installed")
        return 77
    import nbclient
    import nbformat

    # The kernel's debugger otherwise warns on standard error about frozen
    # modules, which would hide a cell's own warnings.
    os.environ.setdefault("PYDEVD_DISABLE_FILE_VALIDATION", "1")

    for path in paths:
        notebook = nbformat.read(path, as_version=4)
        code = [cell for cell in notebook.cells if cell.cell_type == "code"]
        saved = [i for i, cell in enumerate(code) if cell.outputs or cell.execution_count is not None]
        assert not saved, f"{path}: code cells {saved} were saved with outputs; clear them before committing"
        with tempfile.TemporaryDirectory() as where:
            # A failing cell raises CellExecutionError with its traceback.
            nbclient.NotebookClient(notebook, timeout=300, kernel_name="python3",
                                    resources={"metadata": {"path": where}}).execute()
        outputs = [output for cell in code for output in cell.outputs]
        noise = [o.text for o in outputs if o.output_type == "stream" and o.name == "stderr"]
        assert not noise, f"{path}: a cell wrote to standard error:\n" + "\n".join(noise)
        shown = [o.data for o in outputs if o.output_type in ("display_data", "execute_result")]
        tables = sum("<table" in data.get("text/html", "") for data in shown)
        pictures = sum("image/png" in data for data in shown)
        assert tables >= 1 and pictures >= 1, f"{path}: {tables} tables and {pictures} pictures shown"
        print(f"{path}: {len(code)} code cells ran; {tables} tables and {pictures} pictures shown")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
