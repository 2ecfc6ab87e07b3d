"""The module against real USPTO publications.

Runs over the real publications of `tests/corpus/` (or `QUILLMARK_CORPUS`,
one folder per source format) and checks every document against an independent
reading of its source (`corpus_oracle`): it parses, its format is detected as its
folder says, every word of its title, abstract, description and claims reaches
the Markdown, and every getter and its claim count agree with the source (the
claim count of an APS grant is its "NCL").
A few documents also have their whole getters written down by hand in
`tests/data/corpus_expected/<folder>__<stem>.json`.
"""
from __future__ import annotations

import json
import pathlib
import re
from dataclasses import dataclass
from functools import lru_cache

import pytest

import corpus_oracle as oracle

import quillmark

EXPECTED = pathlib.Path(__file__).resolve().parent.parent / "data" / "corpus_expected"

DOCUMENTS = oracle.corpus_files()
WELL_FORMED = [name for name in DOCUMENTS if name not in oracle.MALFORMED]

SCALARS = (
    "publication_number", "patent_number", "application_number", "title",
    "filing_date", "publication_date", "priority_date", "source_format",
)
LISTS = ("inventors", "applicants", "assignees", "ipc_classifications", "us_classifications")
PREFIX = 80


@dataclass
class Reading:
    """One document as the module and as the oracle read it."""
    source: str
    facts: oracle.Facts
    document: object | None
    error: str | None
    markdown: str | None


@lru_cache(maxsize=None)
def reading(name: str) -> Reading:
    source = oracle.read_source(name)
    facts = oracle.source_facts(name, source)
    try:
        document = quillmark.parse(source)
        markdown = quillmark.parse_to_markdown(source)
    except ValueError as error:
        return Reading(source, facts, None, str(error), None)
    return Reading(source, facts, document, None, markdown)


def parsed(name: str) -> Reading:
    record = reading(name)
    if record.error is not None:
        pytest.fail(f"{name} does not parse: {record.error}")
    return record


def test_the_corpus_is_as_published():
    # SOURCES.tsv lists every document with its size in bytes as published.
    listed = {}
    for line in (oracle.CORPUS / "SOURCES.tsv").read_text(encoding="utf-8").splitlines():
        folder, file, _, _, _, size, _ = line.split("\t")
        listed[f"{folder}/{file}"] = int(size)
    assert {name: (oracle.CORPUS / name).stat().st_size for name in DOCUMENTS} == listed


# ---------------------------------------------------------------- every document

@pytest.mark.parametrize("name", DOCUMENTS)
def test_document_parses(name):
    source = oracle.read_source(name)
    if name in oracle.MALFORMED:
        with pytest.raises(ValueError, match=r"^parse error at \d+:\d+: "):
            quillmark.parse(source)
        with pytest.raises(ValueError, match=r"^parse error at \d+:\d+: "):
            quillmark.parse_to_markdown(source)
    else:
        parsed(name)


@pytest.mark.parametrize("name", DOCUMENTS)
def test_format_is_detected_as_the_folder_says(name):
    assert quillmark.detect_format(oracle.read_source(name)) == \
        oracle.FOLDER_FORMATS[name.split("/")[0]]


@pytest.mark.parametrize("name", WELL_FORMED)
def test_markdown_holds_every_word_of_the_text(name):
    record = parsed(name)
    missing = oracle.missing_words(record.facts.words, record.markdown)
    assert not missing, (
        f"{len(missing)} of {len(record.facts.words)} distinct words of the source's title, "
        f"abstract, description and claims are not in the Markdown: {missing[:40]}")


# ---------------------------------------------------------------- expected getters

def _expected_files() -> list[pathlib.Path]:
    return sorted(EXPECTED.glob("*.json"))


def _document_of(path: pathlib.Path) -> str:
    folder, stem = path.stem.split("__", 1)
    matches = sorted((oracle.CORPUS / folder).glob(stem + ".*"))
    assert len(matches) == 1, f"{path.name} names no single corpus document"
    return f"{folder}/{matches[0].name}"


EXPECTED_SCHEMA = {
    "type": "object",
    "additionalProperties": False,
    "required": [*SCALARS, *LISTS, "claim_count", "first_claim_start", "abstract_start"],
    "properties": {
        **{key: {"type": ["string", "null"], "minLength": 1} for key in SCALARS},
        "source_format": {"enum": sorted(set(oracle.FOLDER_FORMATS.values()))},
        **{key: {"type": "array", "items": {"type": "string", "minLength": 1},
                 "uniqueItems": True} for key in LISTS},
        "claim_count": {"type": "integer", "minimum": 0},
        "first_claim_start": {"type": ["string", "null"], "minLength": 1, "maxLength": PREFIX},
        "abstract_start": {"type": ["string", "null"], "minLength": 1, "maxLength": PREFIX},
    },
}


def test_expected_documents_cover_every_folder():
    folders = {path.stem.split("__")[0] for path in _expected_files()}
    present = {name.split("/")[0] for name in DOCUMENTS}
    assert present <= folders, f"no expected getters for {sorted(present - folders)}"


@pytest.mark.parametrize("path", _expected_files(), ids=lambda path: path.stem)
def test_expected_file_is_well_formed(path):
    jsonschema = pytest.importorskip("jsonschema")
    expected = json.loads(path.read_text(encoding="utf-8"))
    jsonschema.validate(expected, EXPECTED_SCHEMA)
    assert expected["source_format"] == oracle.FOLDER_FORMATS[_document_of(path).split("/")[0]]


def _squeezed(text: str | None) -> str | None:
    """Compared without white space: the module may keep line breaks or drop
    white space between elements where the source has them."""
    return None if text is None else oracle.nfc(re.sub(r"\s+", "", text))


def _starts_alike(actual: str | None, expected: str | None) -> bool:
    if actual is None or expected is None:
        return actual is expected
    return _squeezed(actual).startswith(_squeezed(expected))


@pytest.mark.parametrize("path", _expected_files(), ids=lambda path: path.stem)
def test_getters_match_expected(path):
    name = _document_of(path)
    expected = json.loads(path.read_text(encoding="utf-8"))
    document = parsed(name).document
    claims = document.claims
    differences = [
        f"{key}: expected {expected[key]!r}, got {getattr(document, key)!r}"
        for key in (*SCALARS, *LISTS)
        if getattr(document, key) != expected[key]
    ]
    if len(claims) != expected["claim_count"]:
        differences.append(f"claim_count: expected {expected['claim_count']}, got {len(claims)}")
    first_claim = claims[0].text if claims else None
    if not _starts_alike(first_claim, expected["first_claim_start"]):
        differences.append(f"first claim: expected to start {expected['first_claim_start']!r}, "
                           f"got {first_claim and first_claim[:PREFIX]!r}")
    abstract = document.abstract_text
    if not _starts_alike(abstract, expected["abstract_start"]):
        differences.append(f"abstract: expected to start {expected['abstract_start']!r}, "
                           f"got {abstract and abstract[:PREFIX]!r}")
    assert not differences, f"{name}:\n  " + "\n  ".join(differences)


# ---------------------------------------------------------------- citations and CPC

def cited_counts(name: str, source: str) -> tuple[int, int]:
    """Citations and distinct CPC symbols, read from the source."""
    folder = name.split("/")[0]
    if folder == "aps":
        records = oracle.aps_records(source)
        groups = {(r.segment, r.group) for r in records if r.segment in ("UREF", "FREF")}
        others = [r for r in records if r.segment == "OREF" and r.value.strip()]
        return len(groups) + len(others), 0
    root = oracle.parse_xml(source)
    if folder == "grant_v25":
        return len(root.findall("SDOBI/B500/B560/B561")) + len(root.findall("SDOBI/B500/B560/B562")), 0
    if folder.startswith("app_v1") or folder == "sequence":
        return 0, 0
    bibliographic = root[0] if len(root) else root
    citations = bibliographic.findall("references-cited/citation") + bibliographic.findall("us-references-cited/us-citation")
    symbols = []
    for cpc in bibliographic.findall("classifications-cpc/*/classification-cpc"):
        parts = [oracle.first_text(cpc, part) for part in ("section", "class", "subclass", "main-group", "subgroup")]
        if all(parts):
            symbols.append("".join(parts[:4]) + "/" + parts[4])
    return len(citations), len(set(symbols))


@pytest.mark.parametrize("name", WELL_FORMED)
def test_citations_and_cpc_agree_with_the_source(name):
    record = parsed(name)
    document = record.document
    assert (len(document.citations), len(document.cpc_classifications)) == cited_counts(name, record.source)


# ---------------------------------------------------------------- every getter

GETTER_FACTS = (*SCALARS, *LISTS, "kind", "locarno_classification", "us_classifications_as_written")


@pytest.mark.parametrize("name", WELL_FORMED)
def test_every_getter_agrees_with_the_source(name):
    record = parsed(name)
    differences = [
        f"{key}: module {getattr(record.document, key)!r}, source {getattr(record.facts, key)!r}"
        for key in GETTER_FACTS
        if getattr(record.document, key) != getattr(record.facts, key)
    ]
    if len(record.document.claims) != record.facts.claim_count:
        differences.append(f"claims: module {len(record.document.claims)}, source {record.facts.claim_count}")
    assert not differences, "\n".join(differences)


@pytest.mark.parametrize("name", WELL_FORMED)
def test_front_matters_list_the_us_classes_of_the_getter(name):
    """Both front matters, read by a YAML loader, hold the getter's US classes
    as texts (a class written "016102000" is no octal number)."""
    yaml = pytest.importorskip("yaml")
    record = parsed(name)
    for markdown in (record.markdown, record.document.to_markdown("{{frontmatter}}", flavor="gfm")):
        front = yaml.safe_load(markdown.split("\n---", 1)[0].removeprefix("---\n"))
        assert front["us_classifications"] == record.document.us_classifications
