"""The APS Green Book reader through the Python surface.

The full grant tests/data/aps_grant_full.txt is checked whole by
test_golden.py; these tests hold the edge cases."""
import pytest

import quillmark

NO_FIELDS = "APS record has no recognizable tagged fields"
NO_WKU = "APS record missing WKU (patent number)"


def aps(*lines: str) -> str:
    """An APS text: the usual header lines, then `lines`."""
    return "\n".join(("HHHHHT APS1 Issue 951226", "PATN") + lines) + "\n"


def claims_block(text: str) -> str:
    return quillmark.parse_to_markdown(text, "{{claims}}")


# ----- header lines, continuation, columns -----------------------------------


def test_first_field_is_the_line_after_the_header_lines():
    text = "\n\nHHHHHT APS1 Issue 951226\n  \nPATN\nWKU  039305847\nTTL  Widget\n"
    document = quillmark.parse(text)
    assert document.patent_number == "US3930584B1"
    assert document.title == "Widget"
    assert document.source_format == "UsptoGrantApsGreenBook"


def test_title_continues_on_the_next_line():
    document = quillmark.parse(aps("WKU  039305847", "TTL  A very long", "     title text"))
    assert document.title == "A very long title text"
    assert quillmark.parse_to_markdown(aps("WKU  039305847", "TTL  A very long", "     title text"), "{{title}}") == (
        "# A very long title text"
    )


def test_continuation_line_before_any_field_is_ignored():
    document = quillmark.parse("PATN\n     stray words\nWKU  039305847\nTTL  Title\n")
    assert document.title == "Title"
    assert "stray" not in document.to_markdown()


def test_table_keeps_line_breaks_blank_lines_and_leading_spaces():
    text = aps(
        "WKU  039305847",
        "DETD",
        "PAR  Values:",
        "TBL                TABLE 1",
        "     Sample    Value   ",
        "",
        "       A        1.5",
        "       B        2.5",
        "EQU  x = y",
    )
    assert quillmark.parse_to_markdown(text, "{{description}}") == (
        "## Description Of The Invention\n"
        "\n"
        "Values:\n"
        "\n"
        "```\n"
        "              TABLE 1\n"
        "Sample    Value\n"
        "\n"
        "  A        1.5\n"
        "  B        2.5\n"
        "```\n"
        "\n"
        "```\n"
        "x = y\n"
        "```"
    )


def test_crlf_line_endings_read_like_lf(data):
    lf = data("aps_grant_full.txt")
    crlf = lf.replace("\n", "\r\n")
    assert quillmark.parse_to_markdown(crlf) == quillmark.parse_to_markdown(lf)
    assert quillmark.parse(crlf).claims[0].text == quillmark.parse(lf).claims[0].text


def test_short_and_truncated_lines_do_not_fail():
    text = "PATN\nWKU  039305847\nT\nTTL\nAB\n \nISD  1\nABST\nPAL  \nPAL  x\nCLMS\nNUM\nPAR"
    document = quillmark.parse(text)
    assert document.title is None
    assert document.publication_date == "1"
    assert document.abstract_text == "x"
    assert document.claims == []


def test_columns_count_characters_not_bytes():
    # Multi-byte characters in the code columns count one column each, so
    # the value starts at the sixth character and no character is cut.
    text = aps("WKU  039305847", "ABST", "ÜÄÖ€ Grüße", "üüüüüüü", "€€€€€", "PAL  Ärger", " éééé und mehr")
    assert quillmark.parse(text).abstract_text == "Grüße\n\nüü\n\nÄrger und mehr"


def test_non_ascii_values_survive():
    text = aps("WKU  039305847", "TTL  Schaltung für Heizelemente — 加熱器", "INVT", "NAM  Müller; Jürgen", "CLMS", "PAR  1. Ein Gerät.")
    document = quillmark.parse(text)
    assert document.title == "Schaltung für Heizelemente — 加熱器"
    assert document.inventors == ["Jürgen Müller"]
    assert document.claims[0].text == "1. Ein Gerät."


# ----- errors ------------------------------------------------------------------


@pytest.mark.parametrize("text", ["HHHHHT APS1\nPATN\n", "PATN\n\n   \n", "PATN\nINVT\nCLMS\n     continued\n"])
def test_no_tagged_fields(text):
    with pytest.raises(ValueError) as error:
        quillmark.parse(text)
    assert str(error.value) == NO_FIELDS
    with pytest.raises(ValueError) as error:
        quillmark.parse_to_markdown(text)
    assert str(error.value) == NO_FIELDS


@pytest.mark.parametrize(
    "text",
    [
        aps("TTL  Title"),
        aps("TTL  Title", "INVT", "WKU  039305847"),  # not in segment PATN
        aps("WKU", "WKU  039305847"),  # an empty first WKU hides the second
        aps("WKU  "),
    ],
)
def test_missing_patent_number(text):
    with pytest.raises(ValueError) as error:
        quillmark.parse(text)
    assert str(error.value) == NO_WKU


# ----- numbers -----------------------------------------------------------------


@pytest.mark.parametrize(
    "wku, patent_number, publication_number",
    [
        ("039305847", "US3930584B1", None),
        ("RE0302843", "USRE30284E", None),
        ("D02512345", "USD251234S", None),
        ("PP0123456", None, "USPP12345"),
        ("T09876543", "UST987654B1", None),
        ("  000000001", "US0B1", None),
    ],
)
def test_patent_number_and_kind(wku, patent_number, publication_number):
    document = quillmark.parse(aps("WKU  " + wku))
    assert document.patent_number == patent_number
    assert document.publication_number == publication_number


@pytest.mark.parametrize("apn, expected", [("1234567;", "1234567"), ("05/12345", "05/12345"), ("123456A", "123456A")])
def test_application_number(apn, expected):
    text = aps("WKU  039305847", "APN  " + apn, "APD  19740102")
    document = quillmark.parse(text)
    assert document.application_number == expected
    assert document.filing_date == "19740102"
    assert "application_number: " + expected in quillmark.parse_to_markdown(text, "{{frontmatter}}")


def test_empty_first_record_hides_later_ones():
    document = quillmark.parse(aps("WKU  039305847", "TTL", "ISD  19760106", "TTL  Second title"))
    assert document.title is None
    assert document.publication_date == "19760106"


def test_minimal_grant_front_matter():
    assert quillmark.parse_to_markdown(aps("WKU  039305847")) == (
        "---\n"
        "filing_date: null\n"
        "application_number: null\n"
        "publication_number: null\n"
        "publication_date: null\n"
        "patent_number: US3930584B1\n"
        "priority_date: null\n"
        "ipc_classifications: []\n"
        "us_classifications: []\n"
        "priority_chain: []\n"
        "inventors: []\n"
        "applicants: []\n"
        "assignees: []\n"
        "---"
    )


# ----- parties and classifications ----------------------------------------------


def test_inventor_names():
    document = quillmark.parse(
        aps("WKU  039305847", "INVT", "NAM  Doe; John A.", "CTY  Springfield", "INVT", "NAM  Acme Research Group",
            "INVT", "NAM  Roe;   ", "INVT", "NAM  Poe ; Edgar ; Allan")
    )
    assert document.inventors == ["John A. Doe", "Acme Research Group", "Roe", "Edgar ; Allan Poe"]
    assert document.applicants == []


def test_assignees_and_unused_segments():
    document = quillmark.parse(
        aps("WKU  039305847", "ASSG", "NAM  Acme Corp.", "CTY  Springfield", "ASSG", "NAM  Beta GmbH",
            "UREF", "NAM  Jones", "PNO  4345456", "RLAP", "APN  123456", "APD  19690101",
            "FREF", "NAM  Smith", "LREP", "FR2  Attorney & Co.")
    )
    assert document.assignees == ["Acme Corp.", "Beta GmbH"]
    assert document.inventors == []
    assert document.priority_date is None
    assert document.application_number is None
    assert "priority_chain: []" in document.to_markdown("{{frontmatter}}")


def test_foreign_priority_claims_make_the_priority_chain():
    document = quillmark.parse(
        aps("WKU  039305847", "APD  19790301", "PRIR", "CNT  JPX", "APD  19780710", "APN  53/84696",
            "PRIR", "CNT  DEX", "APN  P 28 01 234.5", "APD  19780115", "CLAS", "OCL  177 25")
    )
    assert document.priority_date == "19780115"
    assert document.filing_date == "19790301"
    assert (
        "priority_chain:\n"
        "  - relationship: foreign-priority\n    parent_doc_number: JPX53/84696\n"
        "    parent_date: 19780710\n    child_doc_number: null\n"
        "  - relationship: foreign-priority\n    parent_doc_number: DEXP 28 01 234.5\n"
        "    parent_date: 19780115\n    child_doc_number: null\n"
    ) in document.to_markdown("{{frontmatter}}")


def test_classifications_collapse_white_space_and_keep_order():
    document = quillmark.parse(
        aps("WKU  039305847", "CLAS", "XCL  327  52", "ICL  H03K  1900", "OCL  327108", "XCL  326 17",
            "ICL  H03K 17687", "     continued")
    )
    assert document.ipc_classifications == ["H03K 1900", "H03K 17687 continued"]
    assert document.us_classifications == ["327108", "327 52", "326 17"]


def test_classifications_outside_clas_are_not_read():
    document = quillmark.parse(aps("WKU  039305847", "OCL  327108", "UREF", "OCL  326017"))
    assert document.us_classifications == []


# ----- description and abstract ---------------------------------------------------


def test_description_parts_in_fixed_order_with_caption_groups():
    text = aps(
        "WKU  039305847",
        "DETD",
        "PAR  Before any caption.",
        "PAC  DETAILED DESCRIPTION",
        "PA0  Level zero.",
        "PA2  Level two.",
        "DRWD",
        "PAR  FIG. 1 is a view.",
        "BSUM",
        "PAC  BACKGROUND",
        "PAR  Background text",
        "     continued here.",
    )
    assert quillmark.parse_to_markdown(text, "{{description}}") == (
        "## Summary Of The Invention\n"
        "### BACKGROUND\n"
        "\n"
        "Background text continued here.\n"
        "\n"
        "## Brief Description Of The Drawings\n"
        "\n"
        "FIG. 1 is a view.\n"
        "\n"
        "## Description Of The Invention\n"
        "\n"
        "Before any caption.\n"
        "### DETAILED DESCRIPTION\n"
        "\n"
        "Level zero.\n"
        "\n"
        "Level two."
    )


def test_abstract_paragraphs_and_empty_records():
    document = quillmark.parse(aps("WKU  039305847", "ABST", "PAL  First.", "PAL", "PAL  Second", "     part."))
    assert document.abstract_text == "First.\n\nSecond part."
    assert quillmark.parse(aps("WKU  039305847", "ABST", "PAL")).abstract_text is None
    assert quillmark.parse(aps("WKU  039305847")).abstract_text is None


# ----- claims --------------------------------------------------------------------


def test_claim_parts_each_start_on_their_own_line():
    # The fault this mends: the parts were glued ("comprisinga lever").
    text = aps("WKU  039305847", "CLMS", "NUM  1.", "PAR  1. A widget comprising", "PA1  a lever pivoted on the frame;",
               "PA1  a spring biasing the lever.")
    assert [c.text for c in quillmark.parse(text).claims] == [
        "1. A widget comprising\na lever pivoted on the frame;\na spring biasing the lever."
    ]
    assert claims_block(text) == (
        "## Claims\n"
        "```claim\n"
        "1. A widget comprising\n"
        "  a lever pivoted on the frame;\n"
        "  a spring biasing the lever.\n"
        "```"
    )


def test_single_record_claim_is_unchanged():
    text = aps("WKU  039305847", "CLMS", "NUM  1.", "PAR  1. A widget having a", "     lever.")
    document = quillmark.parse(text)
    assert [(c.number, c.text) for c in document.claims] == [(1, "1. A widget having a lever.")]
    assert claims_block(text) == "## Claims\n```claim\n1. A widget having a lever.\n```"


def test_nested_levels_indent_two_spaces_per_level():
    text = aps("WKU  039305847", "CLMS", "NUM  1.", "PAR  1. A circuit comprising:", "PA1  a network comprising:",
               "PA2  a diode; and", "PA3  a note;", "PA1  a resistor.", "PAR  Closing words.")
    assert quillmark.parse(text).claims[0].text == (
        "1. A circuit comprising:\na network comprising:\na diode; and\na note;\na resistor.\nClosing words."
    )
    assert claims_block(text) == (
        "## Claims\n"
        "```claim\n"
        "1. A circuit comprising:\n"
        "  a network comprising:\n"
        "    a diode; and\n"
        "      a note;\n"
        "  a resistor.\n"
        "Closing words.\n"
        "```"
    )


def test_design_claim_of_two_records_gives_two_lines():
    text = aps("WKU  D02512345", "DCLM", "PAR  The ornamental design for a lamp,", "PAR  as shown and described.")
    document = quillmark.parse(text)
    assert document.patent_number == "USD251234S"
    assert [(c.number, c.text) for c in document.claims] == [
        (1, "The ornamental design for a lamp,\nas shown and described.")
    ]
    assert claims_block(text) == (
        "## Claims\n```claim\nThe ornamental design for a lamp,\nas shown and described.\n```"
    )


def test_claims_split_at_num_records():
    text = aps(
        "WKU  039305847",
        "CLMS",
        "STM  What is claimed is:",
        "PAR  Before the first number.",
        "NUM  1.",
        "NUM  2.",
        "PAR  2. Second claim.",
        "NUM  3.",
        "PAR",
        "NUM  4.",
        "PAR  4. Fourth claim.",
        "DCLM",
        "PAR  Design.",
    )
    assert [(c.number, c.text) for c in quillmark.parse(text).claims] == [
        (1, "Before the first number."),
        (2, "2. Second claim."),
        (3, "4. Fourth claim."),
        (4, "Design."),
    ]
    assert "What is claimed" not in quillmark.parse_to_markdown(text)


def test_no_claims_section_without_claim_text():
    text = aps("WKU  039305847", "CLMS", "STM  What is claimed is:", "NUM  1.", "DCLM", "PAR")
    assert quillmark.parse(text).claims == []
    assert claims_block(text) == ""
