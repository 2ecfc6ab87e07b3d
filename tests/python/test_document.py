"""The Document and Claim classes."""
import pytest

import quillmark

from test_template import GRANT


def test_no_constructors():
    with pytest.raises(TypeError, match="^No constructor defined for Document$"):
        quillmark.Document()
    with pytest.raises(TypeError, match="^No constructor defined for Claim$"):
        quillmark.Claim()
    with pytest.raises(TypeError, match="^No constructor defined for Citation$"):
        quillmark.Citation()


@pytest.mark.parametrize("attribute", ["title", "claims", "abstract_text", "source_format", "inventors"])
def test_document_is_read_only(attribute):
    document = quillmark.parse(GRANT)
    with pytest.raises(AttributeError):
        setattr(document, attribute, None)


def test_claim_is_read_only():
    claim = quillmark.parse(GRANT).claims[0]
    with pytest.raises(AttributeError):
        claim.text = "x"
    with pytest.raises(AttributeError):
        claim.number = 2


def test_getter_order():
    names = [name for name in vars(quillmark.Document) if not name.startswith("_") and name not in ("to_markdown", "to_dict")]
    assert names == [
        "publication_number", "patent_number", "application_number", "title", "filing_date",
        "publication_date", "priority_date", "inventors", "applicants", "assignees",
        "ipc_classifications", "us_classifications", "source_format", "abstract_text", "claims",
        "kind", "cpc_classifications", "citations", "locarno_classification", "us_classifications_as_written",
    ]


def test_every_access_builds_new_objects():
    document = quillmark.parse(GRANT)
    first, second = document.claims, document.claims
    assert first is not second and first[0] is not second[0]
    assert [(c.number, c.text) for c in first] == [(c.number, c.text) for c in second]
    first.append("x")
    document.inventors.append("Someone")
    assert len(document.claims) == 1 and document.inventors == []


def test_absent_values_are_none_and_empty_lists():
    document = quillmark.parse(GRANT.replace("<abstract><p>Short abstract.</p></abstract>", "").replace("<claims><claim><claim-text>1. A widget.</claim-text></claim></claims>", ""))
    assert document.abstract_text is None and document.claims == []
    assert document.publication_number is None and document.priority_date is None
    assert document.applicants == [] and document.us_classifications == []
    assert document.source_format == "UsptoGrantV45"


def claim_with_text(text: str) -> quillmark.Claim:
    grant = GRANT.replace("1. A widget.", text)
    return quillmark.parse(grant).claims[0]


@pytest.mark.parametrize(
    "text, expected",
    [
        ("x" * 60, 'Claim(number=1, text="' + "x" * 60 + '")'),
        ("x" * 61, 'Claim(number=1, text="' + "x" * 60 + '"\u2026)'),
        ("é" * 61, 'Claim(number=1, text="' + "é" * 60 + '"\u2026)'),
        ('say "hi" \\ it\'s', 'Claim(number=1, text="say \\"hi\\" \\\\ it\'s")'),
        ("a&#9;b&#13;c\nd", 'Claim(number=1, text="a\\tb\\rc\\nd")'),
        ("a&#x85;b&#xAD;c&#xE000;d&#x301;e&#x2028;f\u00a0g", 'Claim(number=1, text="a\\u{85}b\\u{ad}c\\u{e000}d\\u{301}e\\u{2028}f\\u{a0}g")'),
        ("日本語 ✓ 😀", 'Claim(number=1, text="日本語 ✓ 😀")'),
    ],
)
def test_claim_repr(text, expected):
    assert repr(claim_with_text(text)) == expected


def test_document_repr():
    document = quillmark.parse(GRANT.replace(
        "<us-bibliographic-data-grant>",
        "<us-bibliographic-data-grant><publication-reference><document-id><doc-number>20050000001</doc-number><kind>A1</kind></document-id></publication-reference>",
    ).replace("Widget", "Example"))
    assert repr(document) == 'Document(publication_number="US20050000001A1", title="Example")'
    # a grant has a patent number and no publication number; quotes are escaped
    grant = quillmark.parse(GRANT.replace(
        "<us-bibliographic-data-grant>",
        "<us-bibliographic-data-grant><publication-reference><document-id><doc-number>07654321</doc-number><kind>B2</kind></document-id></publication-reference>",
    ).replace("Widget", 'A &quot;quoted&quot; title'))
    assert repr(grant) == 'Document(publication_number=None, title="A \\"quoted\\" title")'


def test_citation_repr():
    citation = quillmark.parse(GRANT.replace(
        "<us-bibliographic-data-grant>",
        "<us-bibliographic-data-grant><us-references-cited><us-citation><patcit><document-id><country>JP</country>"
        "<doc-number>2001-123456</doc-number></document-id></patcit><category>cited by examiner</category>"
        "</us-citation></us-references-cited>",
    )).citations[0]
    assert repr(citation) == (
        'Citation(country="JP", doc_number="2001-123456", kind=None, name=None, date=None, '
        'category="cited by examiner", text=None)'
    )


def test_claim_values():
    claim = quillmark.parse(GRANT).claims[0]
    assert (claim.number, claim.text) == (1, "1. A widget.")
    assert type(claim.number) is int
