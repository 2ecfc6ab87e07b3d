"""Where the real publications are: `tests/corpus/`, shipped with the
repository, or the folder the `QUILLMARK_CORPUS` environment variable names.

A test that reads them fails, with this folder named, when they are not
there: nothing is skipped for want of the corpus."""
from __future__ import annotations

import os
import pathlib

import pytest

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
CORPUS = pathlib.Path(os.environ.get("QUILLMARK_CORPUS") or ROOT / "tests" / "corpus")


def require_corpus() -> pathlib.Path:
    """The corpus folder; a failure that says where it was looked for when
    it is missing (called where a test module is collected)."""
    if not (CORPUS / "SOURCES.tsv").is_file():
        source = "QUILLMARK_CORPUS" if os.environ.get("QUILLMARK_CORPUS") else "the repository"
        pytest.fail(f"no corpus of real publications at {CORPUS} (from {source}): "
                    "restore tests/corpus/ or point QUILLMARK_CORPUS at a copy of it", pytrace=False)
    return CORPUS
