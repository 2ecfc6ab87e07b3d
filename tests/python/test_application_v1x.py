"""Application publications of the XML generations 1.5 and 1.6."""
import pytest

import quillmark

DTD = {"v15": "pap-v15-2001-01-31.dtd", "v16": "pap-v16-2002-01-01.dtd"}


def application(bibliographic="", body="", version="v16", root="patent-application-publication"):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<!DOCTYPE {root} SYSTEM "{DTD[version]}" []>\n'
        f"<{root}>\n"
        f"<subdoc-bibliographic-information>\n{bibliographic}\n</subdoc-bibliographic-information>\n"
        f"{body}\n</{root}>\n"
    )


def description(parts):
    return quillmark.parse_to_markdown(application(body=f"<subdoc-description>{parts}</subdoc-description>"), "{{description}}")



@pytest.mark.parametrize("version, expected", [("v15", "UsptoApplicationV15"), ("v16", "UsptoApplicationV16")])
def test_source_format_is_the_detected_version(version, expected):
    assert quillmark.parse(application(version=version)).source_format == expected


@pytest.mark.parametrize("version", ["v15", "v16"])
def test_wrong_root_names_the_format_family_for_both_versions(version):
    text = application(version=version, root="us-patent-application")
    with pytest.raises(ValueError) as error:
        quillmark.parse(text)
    assert str(error.value) == "UsptoApplicationV15 requires patent-application-publication root"



@pytest.mark.parametrize(
    "document_id, publication_number, patent_number",
    [
        ("<kind-code>A1</kind-code><document-date>20020110</document-date>", "USA1", None),
        ("<doc-number>20020004567</doc-number><document-date>20020110</document-date>", "US20020004567", None),
        ("<doc-number>20020004567</doc-number><kind-code>A1</kind-code><country-code>WO</country-code>",
         "WO20020004567A1", None),
    ],
    ids=["no doc-number", "no kind-code", "country-code"],
)
def test_publication_reference(document_id, publication_number, patent_number):
    document = quillmark.parse(application(f"<document-id>{document_id}</document-id>"))
    assert (document.publication_number, document.patent_number) == (publication_number, patent_number)


def test_blank_title_is_present_and_empty():
    text = application("<technical-information><title-of-invention>  \n </title-of-invention></technical-information>")
    assert quillmark.parse(text).title == ""


def test_us_classification_is_its_first_class_only():
    text = application(
        "<technical-information><classification-us><classification-us-primary><uspc>"
        "<class>435</class><subclass>6</subclass></uspc></classification-us-primary></classification-us>"
        "</technical-information>"
    )
    assert quillmark.parse(text).us_classifications == ["435"]


@pytest.mark.parametrize(
    "assignee, names",
    [
        ("<organization-name>Vaultline Security, Inc.</organization-name><assignee-type>02</assignee-type>",
         ["Vaultline Security, Inc."]),
        ("<name><given-name>Jane</given-name><family-name>Roe</family-name></name>", ["Jane Roe"]),
    ],
    ids=["organisation", "person"],
)
def test_assignee_is_found_in_the_kept_bibliographic_nodes(assignee, names):
    document = quillmark.parse(application(f"<assignee>{assignee}</assignee>"))
    assert document.assignees == names
    assert document.applicants == []


def test_inventor_names_join_given_and_family_names_and_skip_nameless_entries():
    text = application(
        "<inventors>"
        "<first-named-inventor><name><given-name>Laura</given-name><middle-name>J.</middle-name>"
        "<family-name>Whitcombe</family-name></name></first-named-inventor>"
        "<inventor><name><family-name>Iyer</family-name></name></inventor>"
        "<inventor><residence><residence-us><city>Fremont</city></residence-us></residence></inventor>"
        "<inventor><name><given-name>Rajesh</given-name></name></inventor>"
        "</inventors>"
    )
    assert quillmark.parse(text).inventors == ["Laura Whitcombe", "Iyer", "Rajesh"]


CHILD = "<child><document-id><doc-number>09812345</doc-number><document-date>20010320</document-date></document-id></child>"
PARENT = "<parent><document-id><doc-number>09456789</doc-number><document-date>19991208</document-date></document-id></parent>"


@pytest.mark.parametrize(
    "relation",
    [
        f"<continuation-in-part-of><parent-child>{CHILD}{PARENT}</parent-child></continuation-in-part-of>",
        f"<continuation-in-part-of><parent-child>{PARENT}{CHILD}</parent-child></continuation-in-part-of>",
        "<continuation-in-part-of><document-id><doc-number>09456789</doc-number>"
        "<document-date>19991208</document-date></document-id></continuation-in-part-of>",
    ],
    ids=["child first", "parent first", "no parent-child block"],
)
def test_relation_names_the_parent_application(relation):
    text = application(f"<continuity-data>{relation}</continuity-data>")
    markdown = quillmark.parse_to_markdown(text, "{{frontmatter}}")
    assert (
        "priority_chain:\n"
        "  - relationship: continuation-in-part-of\n"
        "    parent_doc_number: 09456789\n"
        "    parent_date: 19991208\n"
        "    child_doc_number: null\n"
    ) in markdown
    assert quillmark.parse(text).priority_date == "19991208"


@pytest.mark.parametrize("name", ["division-of", "non-provisional-of-provisional", "continuation"])
def test_unlisted_continuity_children_are_no_relation(name):
    text = application(
        f"<continuity-data><{name}><document-id><doc-number>60170123</doc-number>"
        f"<document-date>19991210</document-date></document-id></{name}></continuity-data>"
    )
    assert "priority_chain: []" in quillmark.parse_to_markdown(text, "{{frontmatter}}")
    assert quillmark.parse(text).priority_date is None


def test_paragraph_outside_a_section_is_kept_as_markup():
    markdown = description(
        "<summary-of-invention>"
        '<paragraph id="P-0001" lvl="0">Loose text.</paragraph>'
        '<section><heading lvl="1">SUMMARY</heading><paragraph id="P-0002" lvl="0">Inside.</paragraph></section>'
        "</summary-of-invention>"
    )
    assert markdown == (
        "## Summary Of The Invention\n"
        '<paragraph id="P-0001" lvl="0">Loose text.</paragraph>\n'
        "### SUMMARY\n\n"
        "Inside."
    )



@pytest.mark.parametrize(
    "markup, rendered",
    [
        ("<bold>strong</bold>", "**strong**"),
        ("<b>strong</b>", "<b>strong</b>"),
        ("<italic>slanted</italic>", "*slanted*"),
        ("<i>slanted</i>", "<i>slanted</i>"),
        ("<highlight><bold>10</bold></highlight>", "**10**"),
        ('<figref idref="FIG-1"><bold>FIG. 1</bold></figref>', "FIG. 1"),
        ('<claim-ref idref="CLM-00001">claim 1</claim-ref>', '<claim-ref idref="CLM-00001">claim 1</claim-ref>'),
        ("x<?xml-stylesheet href='a'?> y<!-- note -->", "x y"),
    ],
    ids=["bold", "b", "italic", "i", "highlight", "figref", "claim-ref", "instruction and comment"],
)
def test_inline_markup_of_a_paragraph(markup, rendered):
    markdown = description(
        f'<detailed-description><section><paragraph id="P-0001" lvl="0">A {markup} end.</paragraph></section>'
        "</detailed-description>"
    )
    assert markdown == f"## Description Of The Invention\n\nA {rendered} end."


@pytest.mark.parametrize(
    "markup, text",
    [
        ("<bold>escrow</bold> agent", "escrow agent"),
        ("<b>escrow</b> agent", "<b>escrow</b> agent"),
        ('<dependent-claim-reference depends_on="CLM-00001">claim 1</dependent-claim-reference>', "claim 1"),
    ],
    ids=["bold", "b", "dependent-claim-reference"],
)
def test_inline_markup_of_a_claim(markup, text):
    document = quillmark.parse(
        application(body=f'<subdoc-claims><claim id="CLM-00002"><claim-text>2. The {markup}.</claim-text></claim></subdoc-claims>')
    )
    assert [claim.text for claim in document.claims] == [f"2. The {text}."]




def test_thousands_of_paragraph_numbers_written_as_entities_parse():
    paragraphs = "".join(
        f'<paragraph id="P-{i:04d}" lvl="0"><number>&lsqb;{i:04d}&rsqb;</number> Step {i}.</paragraph>\n'
        for i in range(1, 6001)
    )
    text = application(body=f"<subdoc-description><detailed-description><section>{paragraphs}</section>"
                            "</detailed-description></subdoc-description>")
    assert quillmark.parse_to_markdown(text, "{{description}}").endswith("[5999] Step 5999.\n\n[6000] Step 6000.")


def test_entity_expansion_is_still_refused():
    declarations = '<!ENTITY e0 "ha">' + "".join(f'<!ENTITY e{i} "{f"&e{i - 1};" * 10}">' for i in range(1, 10))
    text = application(body="<subdoc-abstract><paragraph>&e9;</paragraph></subdoc-abstract>").replace(
        "[]>", f"[{declarations}]>", 1
    )
    with pytest.raises(ValueError, match="^parse error at "):
        quillmark.parse(text)
