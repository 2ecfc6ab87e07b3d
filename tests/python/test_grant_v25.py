"""Grants of the XML generation 2.5 (ST.32 PATDOC)."""
import pytest

import quillmark


def grant(bibliographic="", body="", root="PATDOC"):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<!DOCTYPE {root} SYSTEM "ST32-US-Grant-025xml.dtd" []>\n'
        f'<{root} DTD="2.5" STATUS="BUILD 20020115">\n'
        f"<SDOBI>\n{bibliographic}\n</SDOBI>\n"
        f"{body}\n</{root}>\n"
    )


def pdat(text):
    return f"<PDAT>{text}</PDAT>"


def paragraph(content, id="P-00001"):
    return f'<PARA ID="{id}" LVL="0"><PTEXT>{content}</PTEXT></PARA>'


def heading(text):
    return f'<H LVL="1"><STEXT>{pdat(text)}</STEXT></H>'


def detailed_description(body):
    text = grant(body=f"<SDODE><DETDESC><BTEXT>{body}</BTEXT></DETDESC></SDODE>")
    return quillmark.parse_to_markdown(text, "{{description}}")


def claim_texts(sdocl_content):
    return [claim.text for claim in quillmark.parse(grant(body=f"<SDOCL>{sdocl_content}</SDOCL>")).claims]


def test_wrong_root_is_refused():
    with pytest.raises(ValueError) as error:
        quillmark.parse(grant(root="us-patent-grant"))
    assert str(error.value) == "UsptoGrantV25 requires PATDOC root"


@pytest.mark.parametrize(
    "number, expected",
    [("05123456", "5123456"), ("000", "0"), ("D0512", "D0512"), (" 09512345 ", "9512345")],
)
def test_application_number_drops_leading_zeros_of_digits_only(number, expected):
    text = grant(f"<B200><B210><DNUM>{pdat(number)}</DNUM></B210><B220><DATE>{pdat('20000224')}</DATE></B220></B200>")
    document = quillmark.parse(text)
    assert (document.application_number, document.filing_date) == (expected, "20000224")


@pytest.mark.parametrize(
    "publication, patent_number",
    [
        (f"<B110><DNUM>{pdat('06345678')}</DNUM></B110><B130>{pdat('B1')}</B130>", "US6345678B1"),
        (f"<B130>{pdat('B1')}</B130>", "US0B1"),
    ],
    ids=["utility", "no B110"],
)
def test_publication_reference_makes_a_patent_number(publication, patent_number):
    document = quillmark.parse(grant(f"<B100>{publication}<B140><DATE>{pdat('20020205')}</DATE></B140></B100>"))
    assert (document.patent_number, document.publication_number) == (patent_number, None)
    assert document.publication_date == "20020205"


@pytest.mark.parametrize(
    "b540, title",
    [
        (f"<STEXT>{pdat('Direct-conversion tuner')}</STEXT>", "Direct-conversion tuner"),
        (f"{pdat('Direct-conversion tuner')}", None),
        (f"<STEXT>{pdat('Process for making H')}<SB>{pdat('2')}</SB>{pdat('O')}</STEXT>", "Process for making H2O"),
    ],
    ids=["STEXT", "PDAT without STEXT", "markup inside the title"],
)
def test_title(b540, title):
    assert quillmark.parse(grant(f"<B500><B540>{b540}</B540></B500>")).title == title



def party(name):
    return f"<B721><PARTY-US><NAM>{name}</NAM><ADR><CITY>{pdat('Austin')}</CITY></ADR></PARTY-US></B721>"


def person(first, last):
    return f"<FNM>{pdat(first)}</FNM><SNM><STEXT>{pdat(last)}</STEXT></SNM>"


@pytest.mark.parametrize(
    "name, expected",
    [
        (person("Henrik", "Lindqvist"), ["Henrik Lindqvist"]),
        (f"<FNM>{pdat('Henrik')}</FNM>", ["Henrik"]),
        (f"<SNM><STEXT>{pdat('Lindqvist')}</STEXT></SNM>", ["Lindqvist"]),
        (f"<ONM><STEXT>{pdat('Radio Labs')}</STEXT></ONM>{person('Henrik', 'Lindqvist')}", ["Radio Labs"]),
        (f"<FNM>{pdat('  ')}</FNM>", []),
    ],
    ids=["first and last", "first only", "last only", "organisation wins", "blank"],
)
def test_party_name(name, expected):
    assert quillmark.parse(grant(f"<B700><B720>{party(name)}</B720></B700>")).applicants == expected


@pytest.mark.parametrize(
    "nameless",
    [
        "<B721><PARTY-US><ADR><CITY><PDAT>Austin</PDAT></CITY></ADR></PARTY-US></B721>",
        "<B721><PARTY-US><NAM><MNM><PDAT>Q.</PDAT></MNM></NAM></PARTY-US></B721>",
        "<B721/>",
    ],
    ids=["address only", "no first or last name", "empty"],
)
def test_a_party_without_a_name_does_not_end_the_list(nameless):
    inventors = party(person("Ada", "Alder")) + nameless + party(person("Cyd", "Cole"))
    assignees = (
        f"<B731><PARTY-US><NAM><ONM><STEXT>{pdat('First Co.')}</STEXT></ONM></NAM></PARTY-US></B731>"
        + nameless.replace("B721", "B731")
        + f"<B731><PARTY-US><NAM><ONM><STEXT>{pdat('Third Co.')}</STEXT></ONM></NAM></PARTY-US></B731>"
    )
    document = quillmark.parse(grant(f"<B700><B720>{inventors}</B720><B730>{assignees}</B730></B700>"))
    assert document.applicants == ["Ada Alder", "Cyd Cole"]
    assert document.inventors == ["Ada Alder", "Cyd Cole"]
    assert document.assignees == ["First Co.", "Third Co."]



def test_related_documents_make_the_priority_chain():
    text = grant(
        "<B600>"
        f"<B620><PARENT-US><CDOC><DOC><DNUM>{pdat('09512345')}</DNUM></DOC></CDOC>"
        f"<PDOC><DOC><DNUM>{pdat('09/187654')}</DNUM><DATE>{pdat('19981105')}</DATE></DOC></PDOC></PARENT-US></B620>"
        f"<B680US><DOC><DNUM>{pdat('60/064,321')}</DNUM><DATE>{pdat('19971106')}</DATE></DOC></B680US>"
        f"<B690><B691><PDAT>x</PDAT></B691></B690>"
        f"<B620><PARENT-US/></B620>"
        "</B600>"
    )
    assert quillmark.parse_to_markdown(text, "{{frontmatter}}").split("priority_chain:\n")[1].split("inventors:")[0] == (
        "  - relationship: parent-us\n"
        "    parent_doc_number: 9187654\n"
        "    parent_date: 19981105\n"
        "    child_doc_number: 09512345\n"
        "  - relationship: us-provisional-application\n"
        "    parent_doc_number: 60/064,321\n"
        "    parent_date: 19971106\n"
        "    child_doc_number: null\n"
        "  - relationship: parent-us\n"
        "    parent_doc_number: null\n"
        "    parent_date: null\n"
        "    child_doc_number: null\n"
    )
    assert quillmark.parse(text).priority_date == "19971106"


def test_headings_open_subsections_and_leading_paragraphs_form_one_without_heading():
    markdown = detailed_description(
        paragraph(pdat("Lead."), "P-1") + heading("EMBODIMENT") + paragraph(pdat("One."), "P-2")
        + paragraph(pdat("Two."), "P-3")
    )
    assert markdown == "## Description Of The Invention\n\nLead.\n### EMBODIMENT\n\nOne.\n\nTwo."


def test_elements_before_any_subsection_stand_alone_and_later_ones_join_it():
    markdown = detailed_description(
        '<TABLE-US ID="T-1">' + pdat("t1") + "</TABLE-US>" + heading("TABLES") + '<TABLE-US ID="T-2">' + pdat("t2")
        + "</TABLE-US>"
    )
    assert markdown == (
        "## Description Of The Invention\n"
        '<TABLE-US ID="T-1"><PDAT>t1</PDAT></TABLE-US>\n'
        "### TABLES\n"
        '<TABLE-US ID="T-2"><PDAT>t2</PDAT></TABLE-US>'
    )



def test_part_without_btext_reads_its_own_children():
    text = grant(body=f"<SDODE><BRFSUM>{heading('H')}{paragraph(pdat('Text.'))}</BRFSUM></SDODE>")
    assert quillmark.parse_to_markdown(text, "{{description}}") == "## Summary Of The Invention\n### H\n\nText."


def test_nothing_beside_the_text_wrappers_is_lost():
    body = (
        "<SDOAB>"
        f"<BTEXT>{paragraph(pdat('First abstract paragraph.'))}</BTEXT>"
        f"<BTEXT>{paragraph(pdat('Second abstract paragraph.'))}</BTEXT>"
        "</SDOAB>"
        "<SDODE><DETDESC>"
        f"<BTEXT>{heading('H')}</BTEXT>"
        f'<PARA ID="P-2" LVL="0"><PTEXT>{pdat("One")}</PTEXT> <PTEXT>{pdat("two.")}</PTEXT>'
        f'<TABLE-US ID="T-1">{pdat("cell")}</TABLE-US></PARA>'
        "</DETDESC></SDODE>"
    )
    markdown = quillmark.parse_to_markdown(grant(body=body), "{{abstract}}\n{{description}}")
    assert markdown == (
        "## Abstract\n\nFirst abstract paragraph.\n\nSecond abstract paragraph.\n"
        "## Description Of The Invention\n### H\n\n"
        'One two.<TABLE-US ID="T-1"><PDAT>cell</PDAT></TABLE-US>'
    )


@pytest.mark.parametrize(
    "content, rendered",
    [
        (pdat("x") + pdat("  ") + pdat("y"), "xy"),
        (pdat("x") + pdat(" a ") + pdat("y"), "x a y"),
        (pdat("x") + "\n" + pdat("y"), "x y"),
        (f"<BOLD>{pdat('bold')}</BOLD> <ITALIC>{pdat('slanted')}</ITALIC>", "**bold** *slanted*"),
        (f"<HIL><BOLD>{pdat('10')}</BOLD></HIL>", "**10**"),
        (f"<FGREF ID='DRAWINGS'><BOLD>{pdat('FIG. 1')}</BOLD></FGREF>", "FIG. 1"),
        (f"<CLREF ID='CLM-00001'>{pdat('claim 1')}</CLREF>", "claim 1"),
        (f"10<SP>{pdat('4')}</SP>", "10<SP><PDAT>4</PDAT></SP>"),
        (f"<STEXT>{pdat('x')}</STEXT><?pi data?><!-- note -->{pdat('y')}", "xy"),
    ],
    ids=["blank PDAT", "spaced PDAT", "line between PDATs", "bold and italic", "highlight", "figure reference",
         "claim reference", "superscript kept", "instruction and comment"],
)
def test_inline_content(content, rendered):
    assert detailed_description(paragraph(content)) == f"## Description Of The Invention\n\n{rendered}"


@pytest.mark.parametrize(
    "sdocl",
    [
        f'<CL><CLM ID="CLM-00001">{paragraph(pdat("1. A tuner."))}</CLM></CL>',
        f'<CLM ID="CLM-00001">{paragraph(pdat("1. A tuner."))}</CLM>',
    ],
    ids=["inside CL", "directly in SDOCL"],
)
def test_claim_placement(sdocl):
    assert claim_texts(heading("What is claimed is:") + sdocl) == ["1. A tuner."]


def test_claim_steps_stay_apart_and_nested_steps_indent():
    claim = (
        '<CLM ID="CLM-00001">\n'
        + paragraph(pdat("1. A tuner comprising:")) + "\n"
        + f'<CLMSTEP LVL="1"><PTEXT>{pdat("a mixer;")}</PTEXT></CLMSTEP>\n'
        + f'<CLMSTEP LVL="1"><PTEXT>{pdat("a filter having:")}</PTEXT>\n'
        + f'<CLMSTEP LVL="2"><PTEXT>{pdat("a pole; and")}</PTEXT></CLMSTEP>\n'
        + f'<CLMSTEP LVL="2"><PTEXT>{pdat("a zero.")}</PTEXT></CLMSTEP></CLMSTEP>\n'
        + "</CLM>"
    )
    text = grant(body=f"<SDOCL><CL>{claim}</CL></SDOCL>")
    assert quillmark.parse_to_markdown(text, "{{claims}}") == (
        "## Claims\n"
        "```claim\n"
        "1. A tuner comprising: a mixer; a filter having:\n"
        "  a pole; and\n"
        "  a zero.\n"
        "```"
    )
    assert [c.text for c in quillmark.parse(text).claims] == [
        "1. A tuner comprising: a mixer; a filter having: a pole; and a zero."
    ]


def test_text_keeps_undeclared_entities_as_their_characters():
    title = f"<B500><B540><STEXT>{pdat('Seal for &minus;40&deg; to 2&ndash;5 MPa')}</STEXT></B540></B500>"
    names = f"<B700><B720>{party(person('J&uuml;rgen', 'M&uuml;ller'))}</B720></B700>"
    body = f"<SDOAB><BTEXT>{paragraph(pdat('A gap of 5 &mgr;m&mdash;or less.'))}</BTEXT></SDOAB>"
    document = quillmark.parse(grant(title + names, body))
    assert document.title == "Seal for −40 deg to 2-5 MPa"
    assert document.inventors == ["Jürgen Müller"]
    assert document.abstract_text == "A gap of 5 μm-or less."


def test_priority_claims_and_further_classifications():
    def priority(number, date, country):
        return (f"<B300><B310><DNUM>{pdat(number)}</DNUM></B310><B320><DATE>{pdat(date)}</DATE></B320>"
                f"<B330><CTRY>{pdat(country)}</CTRY></B330></B300>")

    classes = (f"<B500><B510><B511>{pdat('B32B  302')}</B511><B512>{pdat('G11B  724')}</B512>"
               f"<B516>{pdat('7')}</B516></B510><B520><B521>{pdat('428 641')}</B521>"
               f"<B522>{pdat('428 644')}</B522><B522>{pdat('428147')}</B522></B520></B500>")
    document = quillmark.parse(grant(priority("10-186098", "19980701", "JP") + priority("10-252239", "19980907", "JP")
                                     + classes))
    assert document.priority_date == "19980701"
    assert document.ipc_classifications == ["B32B  302", "G11B  724"]
    assert document.us_classifications == ["428 641", "428 644", "428147"]
    assert "    parent_doc_number: JP10-186098\n" in document.to_markdown("{{frontmatter}}")


def test_continuations_join_the_priority_chain():
    def parent_us(child, parent, date):
        return (f"<PARENT-US><CDOC><DOC><DNUM>{pdat(child)}</DNUM></DOC></CDOC><PDOC><DOC><DNUM>{pdat(parent)}</DNUM>"
                f"<DATE>{pdat(date)}</DATE></DOC></PDOC></PARENT-US>")

    text = grant(f"<B600><B630><B631>{parent_us('29/1', '29/100', '20010101')}</B631>"
                 f"<B632>{parent_us('29/2', '29/158379', '20000404')}</B632></B630></B600>")
    assert quillmark.parse(text).priority_date == "20000404"
    assert quillmark.parse_to_markdown(text, "{{frontmatter}}").split("priority_chain:\n")[1].split("inventors:")[0] == (
        "  - relationship: continuation\n    parent_doc_number: 29100\n"
        "    parent_date: 20010101\n    child_doc_number: 291\n"
        "  - relationship: continuation-in-part\n    parent_doc_number: 29158379\n"
        "    parent_date: 20000404\n    child_doc_number: 292\n"
    )
