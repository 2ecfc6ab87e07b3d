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


def uspc(class_, subclass):
    return f"<uspc><class>{class_}</class><subclass>{subclass}</subclass></uspc>"


def test_classifications_keep_the_subclass_and_the_secondary_ones():
    text = application(
        "<technical-information>"
        "<classification-ipc><classification-ipc-primary><ipc>B01D015/00</ipc></classification-ipc-primary>"
        "<classification-ipc-secondary><ipc>C02F001/42</ipc></classification-ipc-secondary>"
        "<classification-ipc-edition>07</classification-ipc-edition></classification-ipc>"
        f"<classification-us><classification-us-primary>{uspc('210', '670000')}</classification-us-primary>"
        f"<classification-us-secondary>{uspc('428', '405000')}</classification-us-secondary>"
        f"<classification-us-secondary>{uspc('D02', '')}</classification-us-secondary>"
        "</classification-us>"
        "</technical-information>"
    )
    document = quillmark.parse(text)
    assert document.ipc_classifications == ["B01D015/00", "C02F001/42"]
    assert document.us_classifications == ["210670000", "428405000", "D02"]


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


def test_inventor_names_join_their_parts_and_skip_nameless_entries():
    text = application(
        "<inventors>"
        "<first-named-inventor><name><given-name>Laura</given-name><middle-name>J.</middle-name>"
        "<family-name>Whitcombe</family-name></name></first-named-inventor>"
        "<inventor><name><family-name>Iyer</family-name></name></inventor>"
        "<inventor><residence><residence-us><city>Fremont</city></residence-us></residence></inventor>"
        "<inventor><name><given-name>Rajesh</given-name></name></inventor>"
        "</inventors>"
    )
    assert quillmark.parse(text).inventors == ["Laura J. Whitcombe", "Iyer", "Rajesh"]


def test_inventor_name_keeps_its_suffix():
    text = application(
        "<inventors><first-named-inventor><name><given-name>James</given-name><middle-name>A.</middle-name>"
        "<family-name>Savage</family-name><name-suffix>III</name-suffix></name></first-named-inventor></inventors>"
    )
    assert quillmark.parse(text).inventors == ["James A. Savage III"]


CHILD = "<child><document-id><doc-number>09812345</doc-number><document-date>20010320</document-date></document-id></child>"
PARENT = "<parent><document-id><doc-number>09456789</doc-number><document-date>19991208</document-date></document-id></parent>"


@pytest.mark.parametrize(
    "relation, child",
    [
        (f"<continuation-in-part-of><parent-child>{CHILD}{PARENT}</parent-child></continuation-in-part-of>", "09812345"),
        (f"<continuation-in-part-of><parent-child>{PARENT}{CHILD}</parent-child></continuation-in-part-of>", "09812345"),
        ("<continuation-in-part-of><document-id><doc-number>09456789</doc-number>"
         "<document-date>19991208</document-date></document-id></continuation-in-part-of>", "null"),
    ],
    ids=["child first", "parent first", "no parent-child block"],
)
def test_relation_names_the_parent_application(relation, child):
    text = application(f"<continuity-data>{relation}</continuity-data>")
    markdown = quillmark.parse_to_markdown(text, "{{frontmatter}}")
    assert (
        "priority_chain:\n"
        "  - relationship: continuation-in-part\n"
        "    parent_doc_number: 09456789\n"
        "    parent_date: 19991208\n"
        f"    child_doc_number: {child}\n"
    ) in markdown
    assert quillmark.parse(text).priority_date == "19991208"


def test_continuity_relations_are_named_as_in_later_generations():
    def block(name, number, date):
        return (
            f"<{name}><parent-child>{CHILD}<parent><document-id><doc-number>{number}</doc-number>"
            f"<document-date>{date}</document-date></document-id></parent></parent-child></{name}>"
        )

    text = application(
        "<continuity-data>"
        f"<continuations>{block('continuation-of', '09000001', '19990101')}"
        f"{block('continuation-in-part-of', '09000002', '19980101')}</continuations>"
        f"{block('division-of', '09000003', '19970101')}"
        "<non-provisional-of-provisional><document-id><doc-number>60170123</doc-number>"
        "<document-date>19961210</document-date></document-id></non-provisional-of-provisional>"
        "<continuation><document-id><doc-number>1</doc-number></document-id></continuation>"
        "</continuity-data>"
    )
    chain = quillmark.parse_to_markdown(text, "{{frontmatter}}").split("priority_chain:\n")[1].split("inventors:")[0]
    assert chain == (
        "  - relationship: continuation\n    parent_doc_number: 09000001\n"
        "    parent_date: 19990101\n    child_doc_number: 09812345\n"
        "  - relationship: continuation-in-part\n    parent_doc_number: 09000002\n"
        "    parent_date: 19980101\n    child_doc_number: 09812345\n"
        "  - relationship: division\n    parent_doc_number: 09000003\n"
        "    parent_date: 19970101\n    child_doc_number: 09812345\n"
        "  - relationship: us-provisional-application\n    parent_doc_number: 60170123\n"
        "    parent_date: 19961210\n    child_doc_number: null\n"
    )
    assert quillmark.parse(text).priority_date == "19961210"


def test_foreign_priority_claims_join_the_priority_chain():
    def claim(number, date, country):
        return (
            f"<foreign-priority-data><priority-application-number><doc-number>{number}</doc-number>"
            f"</priority-application-number><filing-date>{date}</filing-date>"
            f"<country-code>{country}</country-code></foreign-priority-data>"
        )

    text = application(claim("197 33 454", "19970802", "DE") + claim("9716262.1", "19970801", "GB"))
    assert quillmark.parse(text).priority_date == "19970801"
    assert (
        "priority_chain:\n"
        "  - relationship: foreign-priority\n    parent_doc_number: DE197 33 454\n"
        "    parent_date: 19970802\n    child_doc_number: null\n"
        "  - relationship: foreign-priority\n    parent_doc_number: GB9716262.1\n"
        "    parent_date: 19970801\n    child_doc_number: null\n"
    ) in quillmark.parse_to_markdown(text, "{{frontmatter}}")


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
