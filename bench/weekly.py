"""Weekly-like bulk files made of the corpus's real publications.

USPTO's weekly files are documents of one family concatenated one after
another; these are the corpus's publications of one family, in path order,
concatenated as many times as asked. Each file is written once (to a
temporary name, then renamed, so that runs started at the same time never
read a half-written one) and reused while its size is right.
"""

import os
import pathlib

BENCH = pathlib.Path(__file__).resolve().parent
CORPUS = BENCH.parent / "tests" / "corpus"
OUT = BENCH / "out"

# Family -> the corpus folders (globs) it is made of.
FAMILIES = {
    "grant_v4": "grant_v4*",
    "app_v4": "app_v4*",
    "app_v1": "app_v1*",
    "grant_v25": "grant_v25",
    "sequence": "sequence",
    "aps": "aps",
}


def publications(family: str) -> list:
    return sorted(path for path in CORPUS.glob(FAMILIES[family] + "/*") if path.is_file())


def concatenated(paths) -> bytes:
    """The publications one after another, each ending a line."""
    parts = []
    for path in paths:
        data = path.read_bytes()
        parts.append(data if data.endswith(b"\n") else data + b"\n")
    return b"".join(parts)


def copies_for(family: str, megabytes: float) -> int:
    """How many copies of the family make at least `megabytes` MB."""
    size = len(concatenated(publications(family)))
    return max(1, -(-int(megabytes * 1e6) // size))


def file_name(stem: str, family: str) -> str:
    return stem + (".txt" if family == "aps" else ".xml")


def written_once(target: pathlib.Path, data: bytes, copies: int = 1) -> pathlib.Path:
    """`data` repeated `copies` times at `target`, unless a file of that size is there."""
    if target.exists() and target.stat().st_size == len(data) * copies:
        return target
    OUT.mkdir(exist_ok=True)
    scratch = target.with_name("%s.%d.tmp" % (target.name, os.getpid()))
    with open(scratch, "wb") as out:
        for _ in range(copies):
            out.write(data)
    os.replace(scratch, target)
    return target


def bulk_file(family: str, copies: int) -> pathlib.Path:
    """bench/out/weekly_FAMILY_xCOPIES.xml (.txt for APS): the family's
    publications concatenated `copies` times."""
    target = OUT / file_name("weekly_%s_x%d" % (family, copies), family)
    return written_once(target, concatenated(publications(family)), copies)


def sample_file(family: str, megabytes: float) -> pathlib.Path:
    """bench/out/sample_FAMILY_NMB.xml (.txt for APS): about `megabytes` MB of
    the family, for a profiler: every k-th publication when the family is
    larger, so that each of its versions is in it; copies when it is smaller."""
    everything = publications(family)
    step = max(1, sum(path.stat().st_size for path in everything) // int(megabytes * 1e6))
    if step == 1:
        return bulk_file(family, copies_for(family, megabytes))
    target = OUT / file_name("sample_%s_%gMB" % (family, megabytes), family)
    return written_once(target, concatenated(everything[::step]))
