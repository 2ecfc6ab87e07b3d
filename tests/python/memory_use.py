"""Resident-size measurement and the call mixes whose memory must stay flat;
shared by test_memory.py and fuzz/memory_soak.py."""
import atexit
import gc
import os
import pathlib
import shutil
import tempfile

import quillmark

PAGE = os.sysconf("SC_PAGE_SIZE")
GRANT = (pathlib.Path(__file__).resolve().parent.parent / "data" / "grant_v45_full.xml").read_text(encoding="utf-8")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * PAGE


def growth(call, warm_up, count):
    """Resident growth over `count` calls, after `warm_up` calls have let the
    allocators reach their working size."""
    for _ in range(warm_up):
        call()
    gc.collect()
    before = resident_bytes()
    for _ in range(count):
        call()
    gc.collect()
    return resident_bytes() - before


def detect():
    quillmark.detect_format(GRANT)


def parse_and_render():
    document = quillmark.parse(GRANT)
    document.to_markdown()
    document.to_markdown("{{title}}\n{{claims}}")
    for name in ("publication_number", "patent_number", "title", "abstract_text", "inventors", "assignees",
                 "ipc_classifications", "us_classifications", "source_format"):
        getattr(document, name)
    for claim in document.claims:
        repr(claim)
    repr(document)
    quillmark.parse_to_markdown(GRANT)


def fail(call, *args):
    try:
        call(*args)
    except (ValueError, TypeError, UnicodeEncodeError):
        return
    raise AssertionError("expected a failure")


def failures():
    fail(quillmark.parse, GRANT[: len(GRANT) // 2])
    fail(quillmark.parse_to_markdown, GRANT, "{{nope}}")
    fail(quillmark.parse_to_markdown, GRANT, "{{title")
    fail(quillmark.parse, b"<x/>")
    fail(quillmark.parse_to_markdown, GRANT, 3)
    fail(quillmark.detect_format, "<x/>")
    fail(quillmark.parse, "\ud800")


_BULK = []


def bulk_left_early():
    """read_bulk left after three of twenty documents: its threads stop and
    free what they hold."""
    if not _BULK:
        directory = tempfile.mkdtemp(prefix="quillmark-memory-")
        atexit.register(shutil.rmtree, directory, True)
        _BULK.append(pathlib.Path(directory) / "bulk.xml")
        _BULK[0].write_text(GRANT * 20, encoding="utf-8")
    for _, item in zip(range(3), quillmark.read_bulk(_BULK[0], jobs=2)):
        item.document.title


WORKLOADS = {"detect": detect, "parse_and_render": parse_and_render, "failures": failures}
