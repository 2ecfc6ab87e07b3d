"""Grant and application v4.x: sections, bibliographic items, description
markers, claims and the summary derived from them."""
import pytest

import quillmark

HEAD = '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45-2014-04-03.dtd" [ ]>\n'


def grant(body: str, bibliographic: str = "") -> str:
    biblio = f"<us-bibliographic-data-grant>{bibliographic}</us-bibliographic-data-grant>" if bibliographic else ""
    return f'{HEAD}<us-patent-grant dtd-version="v4.5 2014-04-03">{biblio}{body}</us-patent-grant>'


def application(body: str, bibliographic: str = "") -> str:
    text = grant(body, bibliographic).replace("us-patent-grant", "us-patent-application")
    return text.replace("us-bibliographic-data-grant", "us-bibliographic-data-application")


def markdown(text: str, template: str) -> str:
    return quillmark.parse_to_markdown(text, template)


def pubref(number: str, kind: str | None = "B2", country: str | None = "US", date: str = "20180123") -> str:
    parts = [f"<country>{country}</country>" if country else "", f"<doc-number>{number}</doc-number>"]
    parts.append(f"<kind>{kind}</kind>" if kind else "")
    parts.append(f"<date>{date}</date>")
    return f"<publication-reference><document-id>{''.join(parts)}</document-id></publication-reference>"


def test_empty_root_gives_a_document_without_sections():
    document = quillmark.parse(grant(""))
    assert document.title is None and document.claims == [] and document.abstract_text is None
    assert document.source_format == "UsptoGrantV45"
    assert document.to_markdown() == (
        "---\nfiling_date: null\napplication_number: null\npublication_number: null\npublication_date: null\n"
        "patent_number: null\npriority_date: null\nipc_classifications: []\nus_classifications: []\n"
        "priority_chain: []\ninventors: []\napplicants: []\nassignees: []\n---"
    )


@pytest.mark.parametrize(
    "reference, publication, patent",
    [
        (pubref("07654321", "B2"), None, "US7654321B2"),
        (pubref("0RE41234", "E"), None, "US0RE41234E"),
        (pubref("D0512345", "S"), None, "USD512345S"),
        (pubref("D0512345", "S1"), None, "USD512345S1"),
        (pubref("RE041234", "E"), None, "USRE41234E"),
        (pubref("PP012345", "P3"), None, "USPP12345P3"),
        (pubref("20050012345", "P1"), "US20050012345P1", None),
        (pubref("H0001234", "H1"), "USH1234H1", None),
        (pubref("D0000000", "S1"), None, "USD0S1"),
        (pubref("D0512345", "SX"), "USD512345SX", None),
        (pubref("00000000", "B1"), None, "US0B1"),
        (pubref("20010012345", "A1"), "US20010012345A1", None),
        (pubref("20010012345", None), "US20010012345", None),
        (pubref("07654321", "B2", country=None), None, "US7654321B2"),
        (pubref("07654321", "B2", country="JP"), None, "JP7654321B2"),
        ("<publication-reference><document-id><kind>B2</kind></document-id></publication-reference>", None, "US0B2"),
    ],
)
def test_publication_identifier(reference, publication, patent):
    document = quillmark.parse(grant("", reference))
    assert (document.publication_number, document.patent_number) == (publication, patent)
    assert document.publication_date == ("20180123" if "<date>" in reference else None)


def test_first_publication_reference_wins_and_repr_shows_none():
    document = quillmark.parse(grant("", pubref("07654321") + pubref("01111111") + "<invention-title>A \"quoted\" title</invention-title>"))
    assert document.patent_number == "US7654321B2"
    assert repr(document) == 'Document(publication_number=None, title="A \\"quoted\\" title")'


@pytest.mark.parametrize(
    "bibliographic, getter, front_matter",
    [
        (
            '<application-reference appl-type="utility"><document-id><doc-number>123456</doc-number><date>19990105</date></document-id></application-reference><us-application-series-code>09</us-application-series-code>',
            "09123456",
            "09/123456",
        ),
        (
            "<application-reference><document-id><doc-number>09123456</doc-number></document-id></application-reference><us-application-series-code>09</us-application-series-code>",
            "09123456",
            "09/123456",
        ),
        (
            "<us-application-series-code>09</us-application-series-code><application-reference><document-id><doc-number>123456</doc-number></document-id></application-reference>",
            "123456",
            "123456",
        ),
        (
            "<application-reference><document-id><doc-number> PCT/US01/123 </doc-number></document-id></application-reference><us-application-series-code>09</us-application-series-code>",
            "PCT/US01/123",
            "09/PCT/US01/123",
        ),
        ("<application-reference><document-id><date>1</date></document-id></application-reference>", None, "null"),
    ],
)
def test_application_number_forms(bibliographic, getter, front_matter):
    text = grant("", bibliographic)
    assert quillmark.parse(text).application_number == getter
    assert f"application_number: {front_matter}\n" in markdown(text, "{{frontmatter}}")


def test_series_code_joins_only_a_directly_preceding_application_reference():
    text = grant("", "<application-reference><document-id><doc-number>123456</doc-number><date>20000101</date></document-id></application-reference><us-application-series-code>10</us-application-series-code>")
    document = quillmark.parse(text)
    assert (document.application_number, document.filing_date) == ("10123456", "20000101")


def test_classifications_share_one_item_until_something_else_comes_between():
    ipc = "<classification-ipc><main-classification>7H01L 21/00</main-classification><further-classification>H01L 21/02</further-classification><further-classification> </further-classification></classification-ipc>"
    national = "<classification-national><main-classification>438 1</main-classification><further-classification>438 1</further-classification></classification-national>"
    ipcr = (
        "<classifications-ipcr>"
        "<classification-ipcr><section>H</section><class>04</class><subclass>L</subclass><main-group>29</main-group><subgroup>06</subgroup></classification-ipcr>"
        "<classification-ipcr><section>H</section><class>04</class><subclass>L</subclass><main-group>29</main-group><subgroup> </subgroup></classification-ipcr>"
        "<classification-ipcr><section>H</section><class>01</class><subclass>L</subclass><main-group>21</main-group><subgroup>02</subgroup></classification-ipcr>"
        "</classifications-ipcr>"
    )
    document = quillmark.parse(grant("", ipc + national + ipcr))
    assert document.ipc_classifications == ["7H01L 21/00", "H01L 21/02", "H04L29/06", "H01L21/02"]
    assert document.us_classifications == ["438 1"]


@pytest.mark.parametrize("title", ["<invention-title> </invention-title>", "<invention-title><b/></invention-title>"])
def test_blank_title_adds_no_title(title):
    text = grant("", title + "<invention-title>Second</invention-title>")
    assert quillmark.parse(text).title == "Second"


PARTIES = """<us-parties>
<us-applicants>
<us-applicant sequence="001"><addressbook><orgname>Acme &amp; Sons</orgname><first-name>Ignored</first-name></addressbook></us-applicant>
<us-applicant sequence="002"><addressbook><last-name>Solo</last-name></addressbook></us-applicant>
<us-applicant sequence="003"><addressbook><first-name>Ann</first-name><middle-name>B.</middle-name><last-name>Cole</last-name></addressbook></us-applicant>
<us-applicant sequence="004"><nationality/></us-applicant>
<us-applicant sequence="005"><addressbook><orgname>Acme &amp; Sons</orgname></addressbook></us-applicant>
</us-applicants>
<inventors>
<inventor sequence="001"><addressbook><last-name>Doe</last-name><first-name>Jane</first-name></addressbook></inventor>
<inventor sequence="002"><addressbook><orgname>Lab Org</orgname></addressbook></inventor>
</inventors>
</us-parties>
<assignees><assignee><addressbook><orgname>Acme Holdings</orgname><role>02</role></addressbook></assignee></assignees>"""


def test_party_names():
    document = quillmark.parse(grant("", PARTIES))
    assert document.applicants == ["Acme & Sons", "Solo", "Ann B. Cole"]
    assert document.inventors == ["Jane Doe", "Lab Org"]
    assert document.assignees == ["Acme Holdings"]


def test_application_parties_use_the_same_rules():
    document = quillmark.parse(application("", PARTIES))
    assert document.source_format == "UsptoApplicationV45"
    assert document.applicants == ["Acme & Sons", "Solo", "Ann B. Cole"]
    assert document.inventors == ["Jane Doe", "Lab Org"]


# Inventors outside the parties block are kept untyped and found by search.
@pytest.mark.parametrize("wrapper", ["applicant-data", "us-inventors-of-record"])
def test_inventor_search_pass_variants(wrapper):
    inventors = (
        "<inventors>"
        "<inventor><addressbook><given-name>Kim</given-name><family-name>Park</family-name></addressbook></inventor>"
        "<inventor><name><first-name>Lee</first-name></name></inventor>"
        "<inventor><NAM><FNM>Ada</FNM><SNM>Byron</SNM></NAM></inventor>"
        "<inventor><NAM><ONM>Org Name</ONM><FNM>X</FNM></NAM></inventor>"
        "<inventor><organization-name>Institute &amp;rsquo; x</organization-name></inventor>"
        "<inventor><addressbook><first-name>Kim</first-name><last-name>Park</last-name></addressbook></inventor>"
        "<inventor><addressbook><first-name>Al</first-name><middle-name>B.</middle-name>"
        "<last-name>Cox</last-name><suffix>Jr.</suffix></addressbook></inventor>"
        "</inventors>"
    )
    document = quillmark.parse(grant("", f"<{wrapper}>{inventors}</{wrapper}>"))
    assert document.inventors == ["Kim Park", "Lee", "Ada Byron", "Org Name", "Institute ' x", "Al B. Cox Jr."]


RELATED = """<us-related-documents>
<division><relation>
<parent-doc><document-id><doc-number>09/123456</doc-number><date>20010203</date></document-id></parent-doc>
<child-doc><document-id><doc-number>10/654,321</doc-number></document-id></child-doc>
</relation></division>
<continuation-in-part><relation><parent-doc><document-id><doc-number>08/000001</doc-number><date>19991231</date></document-id></parent-doc></relation></continuation-in-part>
<continuation/>
<us-provisional-application><document-id><doc-number>60/111222</doc-number><date>19991231</date></document-id></us-provisional-application>
<related-publication><document-id><doc-number>1</doc-number></document-id></related-publication>
</us-related-documents>"""


def test_priority_chain_and_date():
    text = grant("", RELATED)
    assert quillmark.parse(text).priority_date == "19991231"
    assert markdown(text, "{{frontmatter}}").split("priority_chain:\n")[1].split("\ninventors")[0] == (
        "  - relationship: division\n    parent_doc_number: 9123456\n    parent_date: 20010203\n    child_doc_number: 10/654,321\n"
        "  - relationship: continuation-in-part\n    parent_doc_number: 8000001\n    parent_date: 19991231\n    child_doc_number: null\n"
        "  - relationship: continuation\n    parent_doc_number: null\n    parent_date: null\n    child_doc_number: null\n"
        "  - relationship: us-provisional-application\n    parent_doc_number: 60111222\n    parent_date: 19991231\n    child_doc_number: null"
    )


DESCRIPTION = """<description id="description">
<p id="p-0001" num="0001">Loose paragraph.</p>
<?BRFSUM description="Brief Summary" end="lead"?>
<p id="p-0002" num="0002">Summary text.</p>
<heading id="h-1" level="1">FIELD</heading>
<p id="p-0003" num="3a">Field text.</p>
<?BRFSUM description="Brief Summary" end="tail"?>
<p id="p-0004" num="0004">[0004] After the tail marker.</p>
<?detailed-description description="Detailed Description" end="lead"?>
<heading id="h-2" level="1"></heading>
<p id="p-0005" num="0005">   </p>
<p id="p-0006">  </p>
<tables id="t1"><table><row><entry>1</entry></row></table></tables>
Stray text
<?other-marker x?>
</description>"""


def test_description_markers_parts_and_subsections():
    assert markdown(grant(DESCRIPTION), "{{description}}") == (
        "## Description Of The Invention\n\n[0001] Loose paragraph.\n\n"
        '<?BRFSUM description="Brief Summary" end="lead"?>\n\n'
        "## Summary Of The Invention\n\n[0002] Summary text.\n### FIELD\n\nField text.\n\n"
        '<?BRFSUM description="Brief Summary" end="tail"?>\n\n'
        "## Description Of The Invention\n\n[0004] After the tail marker.\n\n"
        '<?detailed-description description="Detailed Description" end="lead"?>\n\n'
        "## Description Of The Invention\n###\n\n[0005]\n"
        '<tables id="t1"><table><row><entry>1</entry></row></table></tables>\n'
        "Stray text\n<?other-marker x?>"
    )


def test_description_of_drawings_keeps_its_other_children():
    text = grant('<description><description-of-drawings><p num="0001">FIG. 1 is a view.</p><!--c--><figref>x</figref></description-of-drawings></description>')
    assert markdown(text, "{{description}}") == (
        "## Brief Description Of The Drawings\n\n[0001] FIG. 1 is a view.\n<!--c-->\n<figref>x</figref>"
    )


def test_two_abstracts_and_kept_blocks():
    text = grant('<abstract><p num="0001">First.</p><p> </p><table><row/></table></abstract><abstract><p>Second.</p></abstract>')
    assert markdown(text, "{{abstract}}") == "## Abstract\n\n[0001] First.\n<table><row></row></table>\n\n## Abstract\n\nSecond."
    assert quillmark.parse(text).abstract_text == "First."


def test_abstract_text_falls_back_to_a_later_abstract():
    text = grant("<abstract><p> </p><heading>x</heading></abstract><abstract><p>A<sub>2</sub>.</p><p>B.</p></abstract>")
    assert quillmark.parse(text).abstract_text == "A<sub>2</sub>.\n\nB."


CLAIMS = """<claims id="claims">
<heading>What is claimed:</heading>
<claim id="CLM-00001" num="00001"><claim-text>1. A <b>device</b> with H<sub>2</sub>O.</claim-text></claim>
<claim id="CLM-00002" num="00002"><claim-text> </claim-text></claim>
<claim id="CLM-00003" num="00003"><claim-text>3. The device of <claim-ref idref="CLM-00001">claim 1</claim-ref>, wherein:
<claim-text>a  step\tof   X  </claim-text>
<claim-text>another <i>step</i>.</claim-text>

</claim-text></claim>
<amended-claim>kept</amended-claim>
</claims>"""


def test_claims_numbering_text_and_markdown():
    text = grant(CLAIMS)
    claims = quillmark.parse(text).claims
    assert [(c.number, c.text) for c in claims] == [
        (1, "1. A device with H<sub>2</sub>O."),
        (2, "3. The device of claim 1, wherein:\na  step\tof   X   another step."),
    ]
    assert markdown(text, "{{claims}}") == (
        "## Claims\nWhat is claimed:\n```claim\n1. A device with H<sub>2</sub>O.\n```\n```claim\n\n```\n"
        "```claim\n3. The device of claim 1, wherein:\n  a step of X\n  another step.\n```\n<amended-claim>kept</amended-claim>"
    )


def test_claims_from_two_sections_are_numbered_in_one_run():
    text = grant('<claims><claim><claim-text>A</claim-text></claim></claims><claims><claim><claim-text>B</claim-text></claim></claims>')
    assert [(c.number, c.text) for c in quillmark.parse(text).claims] == [(1, "A"), (2, "B")]


def test_nested_claim_text_keeps_words_apart():
    text = grant(
        "<claims><claim><claim-text>1. A method comprising:\n"
        "<claim-text>receiving a request; and</claim-text>\n"
        "<claim-text>sending a response.</claim-text>\n"
        "</claim-text></claim></claims>"
    )
    assert quillmark.parse(text).claims[0].text == "1. A method comprising:\nreceiving a request; and sending a response."
    assert markdown(text, "{{claims}}") == (
        "## Claims\n```claim\n1. A method comprising:\n  receiving a request; and\n  sending a response.\n```"
    )


def test_italic_words_separated_by_white_space_stay_apart():
    text = grant("<abstract><p><i>in</i> <i>vivo</i> and <b>x</b>\n<b>y</b></p></abstract>")
    assert markdown(text, "{{abstract}}") == "## Abstract\n\n*in* *vivo* and **x** **y**"
    assert quillmark.parse(text).abstract_text == "in vivo and x y"


def test_figure_reference_drops_emphasis_at_every_depth():
    text = grant("<abstract><p><figref><b>FIG. <i>1</i></b></figref> <b>10</b>&rsquo;s</p></abstract>")
    assert markdown(text, "{{abstract}}") == "## Abstract\n\nFIG. 1 **10**'s"


@pytest.mark.parametrize(
    "num, content, expected",
    [
        ("0003", "First.", "[0003] First."),
        ("0003", "[0003] First.", "[0003] First."),
        ("0003", "  [0003]First.", "[0003]First."),
        ("3a", "First.", "First."),
        ("", "First.", "[] First."),
        ("0003", " ", "[0003]"),
    ],
)
def test_paragraph_labels(num, content, expected):
    text = grant(f'<abstract><p num="{num}">{content}</p></abstract>')
    assert markdown(text, "{{abstract}}") == f"## Abstract\n\n{expected}"


def test_other_sections_are_not_shown_but_kept():
    text = grant('<us-claim-statement>What is claimed is:</us-claim-statement><drawings><figure id="f1"><img file="a.tif"/></figure></drawings>')
    assert markdown(text, "{{description}}{{claims}}{{abstract}}") == ""


def test_wrong_bibliographic_element_is_kept_as_other():
    text = grant("<us-bibliographic-data-application><invention-title>X</invention-title></us-bibliographic-data-application>")
    assert quillmark.parse(text).title is None


def test_inline_markup_inside_nested_claim_text_adds_no_spaces():
    text = grant(
        "<claims><claim><claim-text>1. A system comprising:\n"
        '<claim-text>a vessel holding H<sub>2</sub>O, the vessel of <claim-ref idref="CLM-2">claim 2</claim-ref>, and</claim-text>\n'
        "<claim-text>a <i>valve</i>.</claim-text></claim-text></claim></claims>"
    )
    assert markdown(text, "{{claims}}") == (
        "## Claims\n```claim\n1. A system comprising:\n"
        "  a vessel holding H<sub>2</sub>O, the vessel of claim 2, and\n  a valve.\n```"
    )


def applicant(name_parts: str, app_type: str, tag: str = "applicant") -> str:
    return f'<{tag} sequence="001" app-type="{app_type}"><addressbook>{name_parts}</addressbook></{tag}>'


def person(first: str, last: str, middle: str = "") -> str:
    middle_name = f"<middle-name>{middle}</middle-name>" if middle else ""
    return f"<last-name>{last}</last-name><first-name>{first}</first-name>{middle_name}<address><city>X</city></address>"


def test_applicant_inventors_are_inventors_and_stay_applicants():
    parties = (
        "<parties><applicants>"
        + applicant(person("Ralph", "Kr&#xe4;mer"), "applicant-inventor")
        + applicant("<orgname>Estate Trust</orgname>", "applicant")
        + applicant(person("Ann", "Lee", "B."), "applicant-inventor")
        + "</applicants></parties>"
    )
    document = quillmark.parse(grant("", parties))
    assert document.inventors == ["Ralph Krämer", "Ann B. Lee"]
    assert document.applicants == ["Ralph Krämer", "Estate Trust", "Ann B. Lee"]


def test_inventors_are_typed_and_a_person_named_twice_is_listed_once():
    inventor = '<inventor sequence="001"><addressbook>{}</addressbook></inventor>'
    inventors = "<inventors>" + inventor.format(person("Jane", "Doe", "Q.")) + inventor.format(
        "<first-name>Al</first-name><last-name>Cox</last-name><suffix>Jr.</suffix>"
    ) + "</inventors>"
    parties = (
        "<us-parties><us-applicants>"
        + applicant(person("Jane", "Doe", "Q."), "applicant-inventor", "us-applicant")
        + f"</us-applicants>{inventors}{inventors}</us-parties>"
    )
    document = quillmark.parse(application("", parties))
    assert document.inventors == ["Jane Q. Doe", "Al Cox Jr."]
    assert document.applicants == ["Jane Q. Doe"]


@pytest.mark.parametrize(
    "assignee, name",
    [
        ("<orgname>Direct Corp.</orgname><role>02</role>", "Direct Corp."),
        ("<last-name>Roe</last-name><first-name>Rick</first-name><role>04</role>", "Rick Roe"),
        ("<addressbook><orgname>Booked &amp; Co.</orgname></addressbook>", "Booked & Co."),
    ],
    ids=["organisation without addressbook", "person without addressbook", "addressbook"],
)
def test_assignee_name_with_or_without_addressbook(assignee, name):
    for bibliographic in (f"<assignees><assignee>{assignee}</assignee></assignees>",
                          f"<parties><assignees><assignee>{assignee}</assignee></assignees></parties>"):
        assert quillmark.parse(grant("", bibliographic)).assignees == [name]


def test_foreign_priority_claims_give_the_earliest_priority_date():
    bibliographic = (
        '<priority-claims><priority-claim sequence="01" kind="national"><country>JP</country>'
        "<doc-number>2008-148514</doc-number><date>20080605</date></priority-claim>"
        '<priority-claim sequence="02" kind="international"><country>WO</country>'
        "<doc-number>PCT/JP2008/061234</doc-number><date>20080620</date></priority-claim></priority-claims>"
        "<us-related-documents><us-provisional-application><document-id><country>US</country>"
        "<doc-number>61123456</doc-number><date>20080901</date></document-id></us-provisional-application>"
        "</us-related-documents>"
    )
    text = grant("", bibliographic)
    assert quillmark.parse(text).priority_date == "20080605"
    assert markdown(text, "{{frontmatter}}").split("priority_chain:\n")[1].split("inventors:")[0] == (
        "  - relationship: foreign-priority\n    parent_doc_number: JP2008-148514\n"
        "    parent_date: 20080605\n    child_doc_number: null\n"
        "  - relationship: foreign-priority\n    parent_doc_number: WOPCT/JP2008/061234\n"
        "    parent_date: 20080620\n    child_doc_number: null\n"
        "  - relationship: us-provisional-application\n    parent_doc_number: 61123456\n"
        "    parent_date: 20080901\n    child_doc_number: null\n"
    )


def test_undeclared_entities_in_short_values_become_their_characters():
    text = grant(
        "",
        "<invention-title>Filter of 5 &mgr;m pores at 2&ndash;5 MPa</invention-title>"
        "<parties><applicants>" + applicant(person("Hans", "M&uuml;ller"), "applicant-inventor")
        + "</applicants></parties>",
    )
    document = quillmark.parse(text)
    assert document.title == "Filter of 5 μm pores at 2-5 MPa"
    assert document.inventors == ["Hans Müller"]
    assert markdown(text, "{{title}}") == "# Filter of 5 μm pores at 2-5 MPa"
