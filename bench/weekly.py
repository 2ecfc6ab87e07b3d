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


def one_copy(family: str) -> bytes:
    """The family's publications concatenated once, each ending a line."""
    parts = []
    for path in publications(family):
        data = path.read_bytes()
        parts.append(data if data.endswith(b"\n") else data + b"\n")
    return b"".join(parts)


def copies_for(family: str, megabytes: float) -> int:
    """How many copies make at least `megabytes` MB."""
    size = len(one_copy(family))
    return max(1, -(-int(megabytes * 1e6) // size))


def bulk_file(family: str, copies: int, name: str = None) -> pathlib.Path:
    """bench/out/NAME (weekly_FAMILY_xCOPIES.xml or .txt by default): the
    family's publications concatenated `copies` times."""
    data = one_copy(family)
    suffix = ".txt" if family == "aps" else ".xml"
    target = OUT / (name or "weekly_%s_x%d%s" % (family, copies, suffix))
    if target.exists() and target.stat().st_size == len(data) * copies:
        return target
    OUT.mkdir(exist_ok=True)
    scratch = target.with_name("%s.%d.tmp" % (target.name, os.getpid()))
    with open(scratch, "wb") as out:
        for _ in range(copies):
            out.write(data)
    os.replace(scratch, target)
    return target
