"""The APS Green Book reader through the Python surface, for what the case
file tests/data/cases/aps.cases cannot hold: a case file cannot keep CR LF
line breaks."""
import quillmark


def test_crlf_line_endings_read_like_lf(data):
    lf = data("aps_grant_full.txt")
    crlf = lf.replace("\n", "\r\n")
    assert quillmark.parse_to_markdown(crlf) == quillmark.parse_to_markdown(lf)
    assert quillmark.parse(crlf).claims[0].text == quillmark.parse(lf).claims[0].text
