"""Source format detection from the first line, the prolog and version markers."""
import pathlib

import pytest

import quillmark

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"

PROLOG = '<?xml version="1.0" encoding="UTF-8"?>\n<!-- bulk file member -->\n'
GRANT_V44 = (
    PROLOG
    + '<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v44-2013-05-16.dtd" [ ]>\n'
    + '<us-patent-grant dtd-version="v4.4 2013-05-16"></us-patent-grant>'
)


def detect_error(text):
    with pytest.raises(ValueError) as caught:
        quillmark.detect_format(text)
    return caught.value.args[0]


def parse_error(text):
    with pytest.raises(ValueError) as caught:
        quillmark.parse(text)
    return caught.value.args[0]


@pytest.mark.parametrize(
    "text, expected",
    [
        (GRANT_V44, "UsptoGrantV44"),
        ('<us-patent-grant dtd-version="v40 2004-12-02"/>', "UsptoGrantV40"),
        *[(f'<us-patent-grant dtd-version="v4.{m} x"/>', f"UsptoGrantV4{m}") for m in range(1, 8)],
        *[(f'<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v4{m}-x.dtd"><us-patent-grant/>', f"UsptoGrantV4{m}") for m in range(8)],
        *[(f'<us-patent-application dtd-version="v4.{m} x"/>', f"UsptoApplicationV4{m}") for m in range(7)],
        *[(f'<!DOCTYPE us-patent-application SYSTEM "us-patent-application-v4{m}-x.dtd" [ ]><us-patent-application/>', f"UsptoApplicationV4{m}") for m in range(7)],
        ('<!DOCTYPE patent-application-publication SYSTEM "pap-v15-2001-01-31.dtd" []><patent-application-publication/>', "UsptoApplicationV15"),
        ('<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd" []><patent-application-publication/>', "UsptoApplicationV16"),
        ('<!DOCTYPE PATDOC PUBLIC "-//USPTO//DTD ST.32 US PATENT GRANT V2.5 2000-09-20//EN" [\n<!ENTITY US1.TIF SYSTEM "US1.TIF" NDATA TIF>\n]>\n<PATDOC DTD="2.5" STATUS="BUILD 20010101">', "UsptoGrantV25"),
        ('<PATDOC><!-- ST32-US-Grant-025xml.dtd --></PATDOC>', "UsptoGrantV25"),
        # the root's family and the marker's generation need not agree
        ('<PATDOC dtd-version="v4.4 2013"/>', "UsptoGrantV44"),
        ('<us-patent-grant><x>ST32-US-Grant-025xml.dtd</x></us-patent-grant>', "UsptoGrantV25"),
        # sequence listings win over any marker
        ('<sequence-cwu>us-patent-grant-v45 dtd-version="v4.4</sequence-cwu>', "UsptoSequenceCwu"),
        # a dtd-version of the other family does not count
        ('<us-patent-grant dtd-version="v4.5"><x dtd-version="v4.3"/></us-patent-grant>', "ConflictingXmlVersionMarkers"),
        ('<us-patent-application dtd-version="v4.7 x"/>', "UnknownXmlFormat"),
        ('<us-patent-grant dtd-version="v4.0 x"/>', "UnknownXmlFormat"),
        ('<us-patent-application dtd-version="v40 x"/>', "UnknownXmlFormat"),
    ],
)
def test_version_markers(text, expected):
    if expected in ("ConflictingXmlVersionMarkers", "UnknownXmlFormat"):
        message = {"ConflictingXmlVersionMarkers": "conflicting XML version markers", "UnknownXmlFormat": "unknown XML format"}
        assert detect_error(text) == message[expected]
    else:
        assert quillmark.detect_format(text) == expected


@pytest.mark.parametrize(
    "text, message",
    [
        ("", "malformed XML"),
        ("  \n\t ", "malformed XML"),
        ("\u3000\u2028", "malformed XML"),
        ("\ufeff<?xml version='1.0'?><us-patent-grant/>", "unknown XML format"),
        ("\ufeff\ufeff<us-patent-grant/>", "malformed XML"),
        (" \ufeff<us-patent-grant/>", "malformed XML"),
        ("<![CDATA[x]]><root/>", "malformed XML"),
        ("</x>", "malformed XML"),
        ("text<root/>", "malformed XML"),
        ("<?xml version='1.0'", "malformed XML"),
        ("<!-- never closed <us-patent-grant/>", "malformed XML"),
        ("<", "malformed XML"),
        ("< us-patent-grant/>", "malformed XML"),
        ("<!ELEMENT x ANY>", "malformed XML"),
        ("<?xml version='1.0'?> x <us-patent-grant/>", "malformed XML"),
        ("<table><tr/></table>", "supplemental XML root 'table'"),
        ("<foo/>", "unsupported XML root 'foo'"),
        ("<Us-Patent-Grant/>", "unsupported XML root 'Us-Patent-Grant'"),
        ("<us-patent-grant/>", "unknown XML format"),
        ('<!DOCTYPE us-patent-grant SYSTEM "x.dtd"><us-patent-grant/>', "unknown XML format"),
        (GRANT_V44.replace("<us-patent-grant d", "<us-patent-application d"), "conflicting XML version markers"),
        ('<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v44-x.dtd"><us-patent-grant dtd-version="v4.5 x"/>', "conflicting XML version markers"),
        ('<us-patent-application><x>pap-v16</x><y>us-patent-application-v44</y></us-patent-application>', "conflicting XML version markers"),
        ('<!DOCTYPE us-patent-grant SYSTEM "x.dtd"><patent-application-publication/>', "conflicting XML version markers"),
    ],
)
def test_detection_errors(text, message):
    assert detect_error(text) == message


def test_root_name_ends_at_white_space_slash_or_angle_bracket():
    for separator in (" ", "\t", "\n", "\u00a0", "/", ">"):
        text = f'<us-patent-grant{separator} dtd-version="v4.5"></us-patent-grant>'
        assert quillmark.detect_format(text) == "UsptoGrantV45", repr(separator)


@pytest.mark.parametrize(
    "text, expected",
    [
        ("HHHHHT  APS  weekly\nPATN\nWKU  039305847\n", True),
        ("\n\n  \nHHHHHHHHHH APS  \nWKU  x\n", True),
        ("HHHHHT APS\r\nPATN\r\n", True),
        ("  PATN  \nWKU  039305847\n", True),
        ("PATN\r\nWKU  1\r\n", True),
        # indented header lines are not APS and, having no "<", not XML either
        (" HHHHHHHHHH APS  \nPATN\n", False),
        ("HHHHH without the marker\nPATN\n", False),
        ("WKU  039305847\nPATN\n", False),
    ],
)
def test_aps_first_line(text, expected):
    if expected:
        assert quillmark.detect_format(text) == "UsptoGrantApsGreenBook"
    else:
        assert detect_error(text) == "malformed XML"


def test_doctype_with_internal_subset_skips_markup_inside_it():
    text = (
        '<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45.dtd" [\n'
        '<!ENTITY img1 SYSTEM "img1.tif" NDATA TIF>\n] >\n'
        '<us-patent-grant dtd-version="v4.5"/>'
    )
    assert quillmark.detect_format(text) == "UsptoGrantV45"


# Brackets inside quotes, comments and instructions of the declaration belong
# to them; the subset and the declaration end at brackets outside them.
@pytest.mark.parametrize("doctype, expected", [
    ('<!DOCTYPE x [<!ENTITY e "]><sequence-cwu>">]>', "unsupported XML root 'sequence-listing'"),
    ("<!DOCTYPE x [<!ENTITY e ']>'>]>", "unsupported XML root 'sequence-listing'"),
    ("<!DOCTYPE x [<!-- ]><sequence-cwu> -->]>", "unsupported XML root 'sequence-listing'"),
    ("<!DOCTYPE x [<?pi ]><sequence-cwu> ?>]>", "unsupported XML root 'sequence-listing'"),
    ('<!DOCTYPE sequence-listing SYSTEM "a[1].dtd">', "unsupported XML root 'sequence-listing'"),
    ('<!DOCTYPE x SYSTEM "a>b.dtd" [ ]>', "unsupported XML root 'sequence-listing'"),
    ('<!DOCTYPE x [<!ENTITY e "never closed>]><sequence-listing/>', "malformed XML"),
])
def test_doctype_brackets_inside_literals_comments_and_instructions(doctype, expected):
    assert detect_error(doctype + "<sequence-listing/>") == expected


def test_doctype_without_internal_subset_ends_at_its_own_bracket():
    # A later "]]>" (the end of a CDATA section) must not be taken as the end
    # of the declaration: the document is a well-formed v4.5 grant.
    text = (
        '<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45-2014-04-03.dtd">\n'
        '<us-patent-grant dtd-version="v4.5 2014-04-03"><abstract><p><![CDATA[a < b]]></p></abstract></us-patent-grant>'
    )
    assert quillmark.detect_format(text) == "UsptoGrantV45"
    assert quillmark.parse(text).abstract_text == "a < b"


def test_markers_found_anywhere_in_a_large_text():
    filler = "<p>" + "word " * 200000 + "</p>"
    text = "<us-patent-grant>" + filler + '<x a="us-patent-grant-v47"/></us-patent-grant>'
    assert quillmark.detect_format(text) == "UsptoGrantV47"
    # a marker split over the scan's block boundaries at every offset
    for pad in range(40):
        text = "<us-patent-grant>" + "x" * pad + 'dtd-version="v4.6' + "</us-patent-grant>"
        assert quillmark.detect_format(text) == "UsptoGrantV46"


# What Python's UTF-8 codec leaves of a file that starts with a byte-order
# mark: the mark is not part of the publication, for any format, and parse
# errors count their positions from after it.
@pytest.mark.parametrize("name", sorted(p.name for p in DATA.glob("*.xml")) + ["aps_grant_full.txt"])
def test_leading_byte_order_mark_is_skipped(name):
    text = (DATA / name).read_text(encoding="utf-8")
    marked = "\ufeff" + text
    assert quillmark.detect_format(marked) == quillmark.detect_format(text)
    assert quillmark.parse(marked).to_dict() == quillmark.parse(text).to_dict()
    assert quillmark.parse_to_markdown(marked) == quillmark.parse_to_markdown(text)
    if name.endswith(".xml"):
        half = text[: len(text) // 2]
        assert parse_error("\ufeff" + half) == parse_error(half)


# What comes before the prolog: detection and parsing give one verdict.
@pytest.mark.parametrize("prefix, accepted", [
    ("\n", True), ("\r\n\t ", True), ("\u3000\u00a0\n", True), ("\ufeff\n", True),
    ("\ufeff\ufeff", False), ("\n\ufeff", False), ("x", False),
])
def test_detection_and_parsing_agree_on_what_precedes_the_prolog(prefix, accepted):
    text = prefix + (DATA / "grant_v45_full.xml").read_text(encoding="utf-8")
    if accepted:
        assert quillmark.detect_format(text) == "UsptoGrantV45"
        assert quillmark.parse(text).to_dict() == quillmark.parse(text.lstrip("\ufeff").lstrip()).to_dict()
    else:
        assert parse_error(text) == "source detection failed: " + detect_error(text)
