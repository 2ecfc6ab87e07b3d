"""`pip wheel .` builds one abi3 wheel that installs into a fresh virtual
environment with the module, its type stubs and the quillmark command.

Slow (a build and a virtual environment); `-m "not slow"` leaves it out.

By default the wheel is built from the working tree, without isolation, with
the scikit-build-core of the running interpreter, reusing the build directory
of earlier builds; it links the system's libxml2.

With QUILLMARK_LIBXML2_PREFIX naming a static, position-independent libxml2
(`.ci/libxml2-latest` sets it), the wheel is the self-contained one: an sdist
is made and unpacked afresh, and the wheel is built from the unpacked folder
with QUILLMARK_STATIC_LIBXML2=ON. The tests marked `self_contained` then check
that the wheel needs no libxml2 of the system and keeps its own even when
another libxml2 is loaded into the process first; without the variable they
are skipped."""
import ctypes.util
import importlib.util
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tarfile
import venv
import zipfile

import pytest
from conftest import VERSION

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
STATIC_PREFIX = os.environ.get("QUILLMARK_LIBXML2_PREFIX")

pytestmark = [
    pytest.mark.slow,
    pytest.mark.skipif(importlib.util.find_spec("scikit_build_core") is None, reason="scikit-build-core is missing"),
]
self_contained = pytest.mark.skipif(
    not STATIC_PREFIX, reason="QUILLMARK_LIBXML2_PREFIX is not set; the wheel links the system's libxml2")

# The shared libraries a self-contained wheel may need: the C and C++ runtimes
# every manylinux system has.
RUNTIME = re.compile(r"^(libc|libm|libdl|libpthread|librt|libstdc\+\+|libgcc_s)\.so\.\d+$|^ld-linux[-\w.]*\.so\.\d+$")

# libxml2 versions word this error differently (2.9: "entity reference loop",
# 2.11 and newer: "amplification factor"), so it shows which one parsed.
LAUGHS = ('<?xml version="1.0"?>\n<!DOCTYPE us-patent-grant [<!ENTITY e0 "lol">'
          + "".join(f'<!ENTITY e{i} "{f"&e{i - 1};" * 10}">' for i in range(1, 10))
          + ']>\n<us-patent-grant dtd-version="v4.5 2014-04-03"><abstract><p>&e9;</p></abstract></us-patent-grant>')


# The fresh environment must import its own module, not one that PYTHONPATH
# names (as it does when the suite runs against a build folder).
CLEAN_ENV = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHONHOME")}


def run(*command, cwd, env=None):
    result = subprocess.run([str(c) for c in command], cwd=cwd, capture_output=True, text=True, timeout=900,
                            env=CLEAN_ENV if env is None else env)
    assert result.returncode == 0, result.stdout + result.stderr
    return result.stdout


def make_sdist(work):
    """The sdist scikit-build-core makes of the tree, unpacked into a new folder."""
    out = work / "sdist"
    out.mkdir()
    name = run(sys.executable, "-c",
               f"import scikit_build_core.build as b; print(b.build_sdist({str(out)!r}))", cwd=ROOT).split()[-1]
    archive = out / name
    unpacked = work / "unpacked"
    with tarfile.open(archive) as tar:
        if hasattr(tarfile, "data_filter"):
            tar.extractall(unpacked, filter="data")
        else:
            tar.extractall(unpacked)
    (source,) = unpacked.iterdir()
    return archive, source


@pytest.fixture(scope="module")
def built(tmp_path_factory):
    """The wheel (from the tree, or self-contained from a fresh sdist) and the sdist, if one was made."""
    work = tmp_path_factory.mktemp("wheel")
    env = dict(CLEAN_ENV)
    if STATIC_PREFIX:
        sdist, source = make_sdist(work)
        env.update(QUILLMARK_STATIC_LIBXML2="ON", CMAKE_PREFIX_PATH=STATIC_PREFIX)
    else:
        sdist, source = None, ROOT
        env.pop("QUILLMARK_STATIC_LIBXML2", None)
    run(sys.executable, "-m", "pip", "wheel", "--no-deps", "--no-build-isolation", "-w", work / "dist", source,
        cwd=work, env=env)
    wheels = list((work / "dist").glob("*.whl"))
    return wheels, sdist, work


@pytest.fixture(scope="module")
def installed(built):
    """A fresh virtual environment with the built wheel installed."""
    wheels, _, work = built
    venv.create(work / "env", with_pip=True)
    python = work / "env" / "bin" / "python"
    run(python, "-m", "pip", "install", "--no-index", "--no-deps", *wheels, cwd=work)
    return wheels, python, work


def test_wheel_is_tagged_for_the_stable_abi(built):
    wheels, _, _ = built
    assert [w.name.split("-")[:4] for w in wheels] == [["quillmark", VERSION, "cp310", "abi3"]]


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
    from_command = run(work / "env" / "bin" / "quillmark", "convert", example, "--flavor", "default", cwd=work)
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


# ----- the self-contained wheel ---------------------------------------------------

def binaries(work):
    """The installed module and command."""
    env = work / "env"
    (module,) = env.glob("lib/python*/site-packages/quillmark.abi3.so")
    return [module, env / "bin" / "quillmark"]


@self_contained
def test_sdist_holds_the_sources_and_nothing_built(built):
    _, sdist, _ = built
    with tarfile.open(sdist) as tar:
        names = {name.split("/", 1)[1] for name in tar.getnames() if "/" in name}
    assert {"pyproject.toml", "CMakeLists.txt", "README.md", "source/xml/front_door.cpp",
            "stubs/quillmark-stubs/__init__.pyi", "cli/main.cpp"} <= names
    # Built files and the 27 MB of real publications stay out.
    assert not [n for n in names if n.startswith(("build/", "build-", "tests/corpus/")) or n.endswith((".so", ".o", ".whl"))]


@self_contained
@pytest.mark.skipif(shutil.which("readelf") is None, reason="readelf (binutils) is missing")
def test_module_and_command_need_only_the_c_and_cxx_runtimes(installed):
    _, _, work = installed
    for binary in binaries(work):
        dynamic = run("readelf", "-d", binary, cwd=work)
        needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic)
        assert needed and [n for n in needed if not RUNTIME.match(n)] == [], (binary.name, needed)


@self_contained
@pytest.mark.skipif(shutil.which("nm") is None, reason="nm (binutils) is missing")
def test_module_exports_only_its_entry_and_hides_libxml2(installed):
    _, _, work = installed
    module = binaries(work)[0]
    symbols = [line.split()[-1] for line in run("nm", "-D", module, cwd=work).splitlines() if line.strip()]
    assert [s for s in symbols if s.startswith(("xml", "html", "__xml"))] == []
    defined = [line.split()[-1] for line in run("nm", "-D", "--defined-only", module, cwd=work).splitlines()]
    # Besides the entry, only the C++ runtime's weak definitions (mangled names).
    assert [s for s in defined if not s.startswith("_Z")] == ["PyInit_quillmark"]


@self_contained
@pytest.mark.skipif(ctypes.util.find_library("xml2") is None, reason="the system has no libxml2 to load")
def test_module_keeps_its_libxml2_when_the_systems_is_loaded_first(installed):
    _, python, work = installed
    example = ROOT / "examples" / "grant_v45.xml"
    script = (
        "import ctypes, sys\n"
        "if sys.argv[1] == 'system-first':\n"
        f"    ctypes.CDLL({ctypes.util.find_library('xml2')!r}, mode=ctypes.RTLD_GLOBAL).xmlInitParser()\n"
        "import quillmark\n"
        f"print(quillmark.parse_to_markdown(open({str(example)!r}, encoding='utf-8').read()))\n"
        "try:\n"
        f"    quillmark.parse({LAUGHS!r})\n"
        "except ValueError as error:\n"
        "    print(error)\n"
    )
    alone = run(python, "-c", script, "alone", cwd=work)
    assert "amplification" in alone or "loop" in alone, alone[-300:]
    assert run(python, "-c", script, "system-first", cwd=work) == alone


@self_contained
@pytest.mark.skipif(importlib.util.find_spec("auditwheel") is None, reason="auditwheel is not installed")
def test_auditwheel_finds_a_manylinux_tag_and_no_libxml2(built):
    wheels, _, work = built
    report = run(sys.executable, "-m", "auditwheel", "show", *wheels, cwd=work)
    assert "libxml2" not in report, report
    assert re.search(r'platform tag:\s+"manylinux_\d+_\d+_\w+"', report), report


@self_contained
def test_wheel_holds_the_module_the_command_and_the_stubs_only(built):
    wheels, _, _ = built
    with zipfile.ZipFile(wheels[0]) as wheel:
        names = sorted(n for n in wheel.namelist() if ".dist-info/" not in n)
    assert names == [f"quillmark-{VERSION}.data/scripts/quillmark", "quillmark-stubs/__init__.pyi", "quillmark.abi3.so"]
