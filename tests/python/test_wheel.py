"""`pip wheel .` builds one abi3 wheel that installs into a fresh virtual
environment with the module, its type stubs and the quillmark command.

Slow (a build and a virtual environment); `-m "not slow"` leaves it out. The
build runs without isolation, with the scikit-build-core of the running
interpreter, and reuses the build directory of earlier builds."""
import importlib.util
import pathlib
import re
import subprocess
import sys
import venv

import pytest

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent

pytestmark = [
    pytest.mark.slow,
    pytest.mark.skipif(importlib.util.find_spec("scikit_build_core") is None, reason="scikit-build-core is missing"),
]


def run(*command, cwd):
    result = subprocess.run([str(c) for c in command], cwd=cwd, capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
    return result.stdout


@pytest.fixture(scope="module")
def installed(tmp_path_factory):
    """A fresh virtual environment with the built wheel installed."""
    work = tmp_path_factory.mktemp("wheel")
    run(sys.executable, "-m", "pip", "wheel", "--no-deps", "--no-build-isolation", "-w", work / "dist", ROOT, cwd=work)
    wheels = list((work / "dist").glob("*.whl"))
    venv.create(work / "env", with_pip=True)
    python = work / "env" / "bin" / "python"
    run(python, "-m", "pip", "install", "--no-index", "--no-deps", *wheels, cwd=work)
    return wheels, python, work


def test_wheel_is_tagged_for_the_stable_abi(installed):
    wheels, _, _ = installed
    assert [w.name.split("-")[:4] for w in wheels] == [["quillmark", "0.2.1", "cp310", "abi3"]]


def test_module_and_command_work_in_the_fresh_environment(installed):
    _, python, work = installed
    example = ROOT / "examples" / "grant_v45.xml"
    script = (
        "import pathlib, sys, quillmark\n"
        "assert pathlib.Path(quillmark.__file__).name == 'quillmark.abi3.so', quillmark.__file__\n"
        "assert str(pathlib.Path(quillmark.__file__).parent).startswith(sys.prefix)\n"
        f"print(quillmark.parse_to_markdown(open({str(example)!r}, encoding='utf-8').read()))\n"
    )
    from_module = run(python, "-c", script, cwd=work)
    from_command = run(work / "env" / "bin" / "quillmark", "convert", example, "-o", "-", cwd=work)
    assert from_command == from_module
    assert from_command.startswith("---\nfiling_date: ")


def test_mypy_finds_the_installed_stubs(installed):
    pytest.importorskip("mypy.api", reason="mypy is not installed")
    from mypy import api

    _, python, work = installed
    program = work / "program.py"
    program.write_text("import quillmark\nreveal_type(quillmark.parse('x').claims)\n")
    stdout, _, status = api.run(["--python-executable", str(python), "--no-incremental", str(program)])
    assert status == 0, stdout
    assert re.search(r'Revealed type is "(builtins\.)?list\[quillmark\.Claim\]"', stdout), stdout
