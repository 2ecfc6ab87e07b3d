"""Repeated calls keep the resident size flat, and every returned object
carries exactly the references its caller holds."""
import gc
import os
import sys
import tracemalloc

import pytest

import quillmark
from memory_use import GRANT, WORKLOADS, bulk_left_early, growth

MEGABYTE = 1 << 20


# AddressSanitizer holds freed memory in quarantine, so the resident size
# of a sanitized run grows whatever the module does.
@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""), reason="resident size under AddressSanitizer")
@pytest.mark.parametrize("workload, count", [("detect", 100_000), ("parse_and_render", 3_000), ("failures", 5_000)])
def test_resident_size_stays_flat(workload, count):
    assert growth(WORKLOADS[workload], warm_up=count // 10, count=count) < 2 * MEGABYTE


@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""), reason="resident size under AddressSanitizer")
def test_leaving_read_bulk_early_frees_its_threads_and_documents():
    assert growth(bulk_left_early, warm_up=100, count=500) < 2 * MEGABYTE


@pytest.mark.parametrize("workload", WORKLOADS)
def test_python_allocations_do_not_grow(workload):
    call = WORKLOADS[workload]
    for _ in range(200):
        call()
    gc.collect()
    tracemalloc.start()
    try:
        before = tracemalloc.take_snapshot()
        for _ in range(2_000):
            call()
        gc.collect()
        after = tracemalloc.take_snapshot()
    finally:
        tracemalloc.stop()
    grown = sum(stat.size_diff for stat in after.compare_to(before, "filename") if stat.size_diff > 0)
    assert grown < 64 * 1024


def document_values(document):
    yield document
    yield repr(document)
    yield document.to_markdown()
    yield document.claims
    for name in ("publication_number", "patent_number", "application_number", "title", "filing_date",
                 "publication_date", "abstract_text", "inventors", "applicants", "assignees",
                 "ipc_classifications", "us_classifications", "source_format"):
        value = getattr(document, name)
        if value is not None:
            yield value


# A reference the module forgot to release shows as one more reference than
# a fresh object held the same way has: the comparison needs no knowledge of
# how many references the interpreter itself holds.
def assert_held_like_fresh_objects(values):
    fresh = [object() for _ in values]
    for value, baseline in zip(values, fresh):
        if isinstance(value, str) and len(value) <= 1:
            continue  # the interpreter shares one-character strings
        assert sys.getrefcount(value) == sys.getrefcount(baseline), value


def test_returned_objects_have_one_owner():
    document = quillmark.parse(GRANT)
    values = list(document_values(document))[1:]
    claims = document.claims
    values += claims + [repr(claims[0]), claims[0].text, quillmark.parse_to_markdown(GRANT),
                        quillmark.detect_format(GRANT)]
    del claims
    assert_held_like_fresh_objects(values)
    named = object()
    assert sys.getrefcount(document) == sys.getrefcount(named)


def test_list_items_have_one_owner():
    document = quillmark.parse(GRANT)
    for items in (document.claims, document.inventors, document.ipc_classifications):
        assert items
        assert_held_like_fresh_objects(items)


def test_type_references_are_released_with_instances():
    gc.collect()
    documents_before = sys.getrefcount(quillmark.Document)
    claims_before = sys.getrefcount(quillmark.Claim)
    for _ in range(100):
        claims = quillmark.parse(GRANT).claims
        assert claims
    del claims
    gc.collect()
    # counted outside the assert, whose rewriting holds a reference of its own
    counts = sys.getrefcount(quillmark.Document), sys.getrefcount(quillmark.Claim)
    assert counts == (documents_before, claims_before)


def test_document_outlives_nothing_it_returned():
    document = quillmark.parse(GRANT)
    claims, title = document.claims, document.title
    del document
    gc.collect()
    assert claims[0].number == 1 and claims[0].text
    assert title
