"""The whole record as plain data (Document.to_dict), checked against its
JSON Schema and against the Markdown made from it. Citations, CPC and kind
rules are cases in tests/data/cases/citations.cases."""
import json
import re

import pytest

import quillmark
from conftest import DATA
from corpus_location import require_corpus
from corpus_oracle import decode_text

jsonschema = pytest.importorskip("jsonschema")

SCHEMA = json.loads((DATA.parent.parent / "schema" / "record.schema.json").read_text(encoding="utf-8"))
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)
DOCUMENTS = sorted(p.name for p in DATA.iterdir() if p.suffix in (".xml", ".txt") and p.is_file())
CORPUS = require_corpus()
# The smallest real publication of each format, when it is small enough for
# the schema check to stay quick.
CORPUS_SAMPLE = sorted(
    str(smallest.relative_to(CORPUS))
    for folder in CORPUS.iterdir()
    if folder.is_dir()
    for smallest in [min(folder.iterdir(), key=lambda p: p.stat().st_size)]
    if smallest.stat().st_size < 60_000
)

# The words the Markdown body adds of its own: section headings and fences.
RENDERER_WORDS = {"Abstract", "Claims", "claim", "Summary", "The", "Invention", "Brief", "Description", "Drawings",
                  "Cross", "Reference", "Related", "Applications", "deg"}
BODY = "{{title}}\n{{abstract}}\n{{description}}\n{{claims}}"


def strings(value):
    """Every text in a record, attribute names included; neighbouring text
    runs of one list (an entity reference stands apart) joined."""
    if isinstance(value, str):
        yield value
    elif isinstance(value, dict):
        yield from value
        for item in value.values():
            yield from strings(item)
    elif isinstance(value, list):
        run = ""
        for item in value:
            if isinstance(item, str):
                run += item
                continue
            yield run
            run = ""
            yield from strings(item)
        yield run


@pytest.mark.parametrize("name", DOCUMENTS + CORPUS_SAMPLE)
def test_record_matches_its_schema_and_keeps_every_word(name, data):
    text = data(name) if name in DOCUMENTS else (CORPUS / name).read_text(encoding="utf-8")
    try:
        document = quillmark.parse(text)
    except ValueError:
        pytest.skip("malformed as published")
    record = document.to_dict()
    errors = sorted(VALIDATOR.iter_errors(record), key=lambda e: list(e.absolute_path))
    assert not errors, f"{list(errors[0].absolute_path)}: {errors[0].message}"
    for getter in ("publication_number", "title", "inventors", "kind", "cpc_classifications", "source_format"):
        assert record[getter] == getattr(document, getter)
    assert record["claims"] == [{"number": c.number, "text": c.text} for c in document.claims]
    # The Markdown body is made from the record alone, so each of its words
    # is in it.
    kept = set()
    for piece in strings(record):
        kept.update(re.findall(r"[^\W_]{3,}", decode_text(piece)))
    missing = set(re.findall(r"[^\W_]{3,}", document.to_markdown(BODY))) - kept - RENDERER_WORDS
    assert not missing, sorted(missing)[:10]


def test_record_is_json_and_new_each_time(data):
    document = quillmark.parse(data("grant_v45_full.xml"))
    first, second = document.to_dict(), document.to_dict()
    assert first == second and first is not second
    assert json.loads(json.dumps(first)) == first
    assert list(first)[:2] == ["attributes", "sections"]
