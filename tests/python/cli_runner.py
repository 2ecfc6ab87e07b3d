"""Finds and runs the quillmark command built with the module under test.

The command is looked up, in this order:
1. the path in the QUILLMARK_CLI environment variable;
2. a `quillmark` executable beside the imported module (the development
   build directory holds both);
3. the `quillmark` script of the running interpreter's environment (where
   `pip install .` puts it).
"""
import os
import pathlib
import subprocess
import sysconfig

import quillmark


def find_cli() -> pathlib.Path | None:
    candidates = []
    if os.environ.get("QUILLMARK_CLI"):
        candidates.append(pathlib.Path(os.environ["QUILLMARK_CLI"]))
    candidates.append(pathlib.Path(quillmark.__file__).with_name("quillmark"))
    candidates.append(pathlib.Path(sysconfig.get_path("scripts")) / "quillmark")
    for candidate in candidates:
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return candidate.resolve()
    return None


CLI = find_cli()


def run_cli(*arguments, stdin: bytes | None = None, cwd=None, stderr=subprocess.PIPE) -> subprocess.CompletedProcess:
    assert CLI is not None, "the quillmark command was not found; set QUILLMARK_CLI to its path"
    return subprocess.run(
        [str(CLI), *map(str, arguments)],
        input=stdin if stdin is not None else b"",
        stdout=subprocess.PIPE,
        stderr=stderr,
        cwd=cwd,
        timeout=120,
    )
