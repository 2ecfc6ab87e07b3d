import json

import pytest

import quillmark
from golden import SOURCES, getters


@pytest.mark.parametrize("source", SOURCES, ids=lambda p: p.name)
def test_markdown_matches_expected(source):
    text = source.read_text(encoding="utf-8")
    expected = source.with_suffix(".md").read_text(encoding="utf-8")
    assert quillmark.parse_to_markdown(text) == expected.rstrip("\n")
    assert quillmark.parse(text).to_markdown() == expected.rstrip("\n")


@pytest.mark.parametrize("source", SOURCES, ids=lambda p: p.name)
def test_gfm_markdown_matches_expected(source):
    text = source.read_text(encoding="utf-8")
    expected = source.with_suffix(".gfm.md").read_text(encoding="utf-8")
    assert quillmark.parse_to_markdown(text, flavor="gfm") == expected.rstrip("\n")
    assert quillmark.parse(text).to_markdown(flavor="gfm") == expected.rstrip("\n")


@pytest.mark.parametrize("source", [s for s in SOURCES if s.with_suffix(".json").exists()], ids=lambda p: p.name)
def test_getters_match_expected(source):
    text = source.read_text(encoding="utf-8")
    expected = json.loads(source.with_suffix(".json").read_text(encoding="utf-8"))
    assert getters(quillmark.parse(text)) == expected
