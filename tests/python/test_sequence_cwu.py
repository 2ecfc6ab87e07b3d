"""Sequence-listing supplements (sequence-cwu)."""
import pytest

import quillmark


def listing(children):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<!DOCTYPE sequence-cwu SYSTEM "us-sequence-listing-2004-03-09.dtd" [ ]>\n'
        f'<sequence-cwu id="SEQLST-0" country="US">{children}</sequence-cwu>\n'
    )


def reference(doc_number, date, kind="A1"):
    return (
        "<publication-reference><document-id><country>US</country>"
        f"<doc-number>{doc_number}</doc-number><kind>{kind}</kind><date>{date}</date>"
        "</document-id></publication-reference>"
    )


def test_the_first_publication_reference_is_the_publication():
    document = quillmark.parse(listing(reference("20050012345", "20050113") + reference("20050099999", "20050720")))
    assert (document.publication_number, document.publication_date) == ("US20050012345A1", "20050113")
    assert quillmark.parse_to_markdown(listing(reference("20050012345", "20050113")), "{{description}}") == ""


def test_every_root_child_node_is_shown_in_place():
    text = listing(
        reference("20050012345", "20050113")
        + "\nSequence listing follows.\n"
        + "<number-of-sequences>2</number-of-sequences>\n"
        + "<!-- produced by the listing tool -->"
        + "<?page 2?>"
        + "<![CDATA[<400> 1]]>"
    )
    assert quillmark.parse_to_markdown(text, "{{description}}") == (
        "Sequence listing follows.\n\n"
        "<number-of-sequences>2</number-of-sequences>\n\n"
        "<!-- produced by the listing tool -->\n\n"
        "<?page 2?>\n\n"
        "<400> 1"
    )


@pytest.mark.parametrize(
    "child, publication_number",
    [
        ("<publication-reference><document-id><kind>A1</kind><date>20050113</date></document-id>"
         "</publication-reference>", "USA1"),
        ("<publication-reference><document-id><doc-number>20050012345</doc-number></document-id>"
         "</publication-reference>", "US20050012345"),
    ],
    ids=["no doc-number", "no kind"],
)
def test_incomplete_document_id(child, publication_number):
    assert quillmark.parse(listing(child)).publication_number == publication_number


def test_publication_reference_without_document_id_is_kept_whole():
    child = "<publication-reference><doc-number>20050012345</doc-number></publication-reference>"
    document = quillmark.parse(listing(child))
    assert (document.publication_number, document.publication_date, document.title) == (None, None, None)
    assert quillmark.parse_to_markdown(listing(child), "{{description}}") == child


def test_a_listing_has_no_abstract_description_parts_or_claims():
    document = quillmark.parse(listing(reference("20050012345", "20050113") + "<sequence>ACGT</sequence>"))
    assert (document.abstract_text, document.claims) == (None, [])
    assert quillmark.parse_to_markdown(listing("<sequence>ACGT</sequence>"), "{{abstract}}|{{claims}}") == "|"
