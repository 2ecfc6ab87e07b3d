"""Citations, CPC classifications and kind codes, and the whole record as
plain data (Document.to_dict), checked against its JSON Schema."""
import json
import pathlib
import re

import pytest

import quillmark
from conftest import DATA
from corpus_oracle import decode_text

jsonschema = pytest.importorskip("jsonschema")

SCHEMA = json.loads((DATA.parent.parent / "schema" / "record.schema.json").read_text(encoding="utf-8"))
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)
DOCUMENTS = sorted(p.name for p in DATA.iterdir() if p.suffix in (".xml", ".txt") and p.is_file())
CORPUS = DATA.parent.parent.parent / "shared" / "corpus"
# The smallest real publication of each format, when the corpus is there and
# it is small enough for the schema check to stay quick.
CORPUS_SAMPLE = sorted(
    str(smallest.relative_to(CORPUS))
    for folder in (CORPUS.iterdir() if CORPUS.is_dir() else [])
    if folder.is_dir()
    for smallest in [min(folder.iterdir(), key=lambda p: p.stat().st_size)]
    if smallest.stat().st_size < 60_000
)

V4 = '<?xml version="1.0"?>\n<us-patent-grant dtd-version="v4.5 2014-04-03"><us-bibliographic-data-grant>{}' \
     "</us-bibliographic-data-grant></us-patent-grant>"


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


def test_v4_citations_cpc_and_kind():
    text = V4.format(
        "<publication-reference><document-id><country>US</country><doc-number>09876543</doc-number>"
        "<kind>B2</kind><date>20180123</date></document-id></publication-reference>"
        "<classifications-cpc><main-cpc><classification-cpc><section>H</section><class>04</class>"
        "<subclass>L</subclass><main-group>9</main-group><subgroup>0891</subgroup></classification-cpc></main-cpc>"
        "<further-cpc><classification-cpc><section>H</section><class>04</class><subclass>L</subclass>"
        "<main-group>9</main-group><subgroup>0891</subgroup></classification-cpc><classification-cpc>"
        "<section>G</section><class>06</class><subclass>F</subclass><main-group>21</main-group>"
        "<subgroup>60</subgroup></classification-cpc><classification-cpc><section>G</section>"
        "</classification-cpc></further-cpc></classifications-cpc>"
        "<us-references-cited>"
        '<us-citation><patcit num="00001"><document-id><country>US</country><doc-number>4313443</doc-number>'
        "<kind>A</kind><name>Frosch et al.</name><date>19820200</date></document-id></patcit>"
        "<category>cited by applicant</category></us-citation>"
        '<us-citation><patcit num="00002"><document-id><country>JP</country><doc-number>2001-123456'
        "</doc-number></document-id></patcit><category>cited by examiner</category></us-citation>"
        '<us-citation><nplcit num="00003"><othercit>Lee, &#x201c;Keys,&#x201d; <i>J. Crypto</i>, pp. 1-9.'
        "</othercit></nplcit></us-citation>"
        "</us-references-cited>"
    )
    document = quillmark.parse(text)
    assert document.kind == "B2"
    assert document.cpc_classifications == ["H04L9/0891", "G06F21/60"]
    fields = ("country", "doc_number", "kind", "name", "date", "category", "text")
    assert [tuple(getattr(c, f) for f in fields) for c in document.citations] == [
        ("US", "4313443", "A", "Frosch et al.", "19820200", "cited by applicant", None),
        ("JP", "2001-123456", None, None, None, "cited by examiner", None),
        (None, None, None, None, None, None, "Lee, \u201cKeys,\u201d J. Crypto, pp. 1-9."),
    ]
    assert repr(document.citations[1]) == (
        'Citation(country="JP", doc_number="2001-123456", kind=None, name=None, date=None, '
        'category="cited by examiner", text=None)'
    )


def test_v25_citations():
    def pdat(text):
        return f"<PDAT>{text}</PDAT>"

    text = (
        '<?xml version="1.0"?>\n<!DOCTYPE PATDOC SYSTEM "ST32-US-Grant-025xml.dtd" []>\n<PATDOC DTD="2.5"><SDOBI>'
        f"<B100><B110><DNUM>{pdat('D0456588')}</DNUM></B110><B130>{pdat('S1')}</B130></B100><B500>"
        f"<B560><B561><PCIT><DOC><DNUM>{pdat('5422489')}</DNUM><DATE>{pdat('19950600')}</DATE>"
        f"<KIND>{pdat('A')}</KIND></DOC><PARTY-US><NAM><SNM><STEXT>{pdat('Bhargava')}</STEXT></SNM></NAM>"
        "</PARTY-US></PCIT><CITED-BY-EXAMINER/></B561>"
        f"<B562><NCIT><STEXT>{pdat('Catalog p. 9 item &ldquo;B&rdquo;')}</STEXT></NCIT><CITED-BY-OTHER/></B562>"
        "</B560></B500></SDOBI></PATDOC>"
    )
    document = quillmark.parse(text)
    assert (document.kind, document.patent_number, document.cpc_classifications) == ("S1", "USD456588S1", [])
    assert [(c.doc_number, c.name, c.date, c.kind, c.category, c.text) for c in document.citations] == [
        ("5422489", "Bhargava", "19950600", "A", "cited by examiner", None),
        (None, None, None, None, "cited by other", 'Catalog p. 9 item "B"'),
    ]


def test_aps_citations():
    text = "\n".join([
        "PATN", "WKU  039305847", "UREF", "PNO  2542907", "ISD  19510200", "NAM  Dayton et al.", "OCL  280502",
        "UREF", "PNO  2762542", "ISD  19560900", "FREF", "PNO  1234567", "ISD  19700100", "CNT  DEX",
        "OREF", "PAL  Smith, Widgets, 1970, p. 3.", "PAL  Jones, Gadgets.",
    ]) + "\n"
    document = quillmark.parse(text)
    assert document.kind == "B1"
    assert [(c.country, c.doc_number, c.date, c.name, c.text) for c in document.citations] == [
        (None, "2542907", "19510200", "Dayton et al.", None),
        (None, "2762542", "19560900", None, None),
        ("DEX", "1234567", "19700100", None, None),
        (None, None, None, None, "Smith, Widgets, 1970, p. 3."),
        (None, None, None, None, "Jones, Gadgets."),
    ]


@pytest.mark.parametrize("name", ["application_v15.xml", "application_v16_full.xml", "sequence_cwu.xml"])
def test_formats_without_citations(name, data):
    document = quillmark.parse(data(name))
    assert document.citations == [] and document.cpc_classifications == []


def test_citation_has_no_constructor():
    with pytest.raises(TypeError, match="No constructor defined for Citation"):
        quillmark.Citation()
