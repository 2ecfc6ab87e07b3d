"""Inputs shaped to make a converter or the writer go super-linear, in the
manner of cmark's pathological tests: each shape is rendered in both
flavours at a size n and at 4n, and the CPU time may grow at most six
times (four is linear), the Markdown at most to 100 times the input plus
10 KB."""
from __future__ import annotations

import time

import pytest

import quillmark

PROLOG = '<?xml version="1.0" encoding="UTF-8"?>\n'


def grant(paragraphs: str) -> str:
    return (PROLOG + '<us-patent-grant dtd-version="v4.5 2014-04-03" lang="EN"><us-bibliographic-data-grant>'
            "<invention-title>Shapes</invention-title></us-bibliographic-data-grant>"
            f"<description>{paragraphs}</description></us-patent-grant>")


def paragraph(content: str) -> str:
    return f'<p id="p-0001" num="0001">{content}</p>'


def table(groups: str) -> str:
    return paragraph(f'<tables id="TABLE-US-00001" num="00001"><table frame="none">{groups}</table></tables>')


def formula(mathml: str) -> str:
    return paragraph(f'<maths id="MATH-US-00001" num="00001"><math>{mathml}</math></maths>')


def rows(n: int, row: str) -> str:
    return "".join(row.replace("#", str(i)) for i in range(n))


def nested(n: int, open_: str, inner: str, close: str, depth: int = 200) -> str:
    """`n` levels in blocks of at most `depth`, below the XML library's limit."""
    blocks, rest = divmod(n, depth)
    block = open_ * depth + inner + close * depth
    return block * blocks + open_ * rest + inner + close * rest


# Each shape: a document of size about n.
SHAPES = {
    "brace nesting": (100_000, lambda n: grant(paragraph("a {umlaut over (" * n + "o" + ")}" * n))),
    "overscore nesting": (100_000, lambda n: grant(paragraph("{overscore (" * n + "ab" + ")}" * n))),
    "root and fraction nesting": (50_000, lambda n: grant(paragraph(
        "{square root over ({fraction (" * n + "1/2" + ")})}" * n))),
    "unterminated braces": (100_000, lambda n: grant(paragraph("value {umlaut over (" * n + " and more"))),
    "closings without openings": (500_000, lambda n: grant(paragraph("x)}" * n))),
    "emphasis nesting": (20_000, lambda n: grant(paragraph(nested(n, "<i><b>", "x", "</b></i>", 100)))),
    "emphasis width": (40_000, lambda n: grant(paragraph("<i>a</i>*<b>b</b>_" * n))),
    "sub and sup nesting": (20_000, lambda n: grant(paragraph(nested(n, "<sub><sup>", "2", "</sup></sub>", 100)))),
    "characters to escape": (100_000, lambda n: grant(paragraph("*_`&lt;&gt;$~|&amp;[]\\{})." * n))),
    "huge cols": (10_000, lambda n: grant(table(
        '<tgroup cols="20000000">' + rows(n, "<row><entry>a</entry></row>") + "</tgroup>"))),
    "huge colnum": (5_000, lambda n: grant(table(
        '<tgroup cols="2"><colspec colname="1" colnum="100000000"/><colspec colname="2" colnum="1"/>'
        + rows(n, '<row><entry colname="1">a</entry><entry>b</entry></row>') + "</tgroup>"))),
    "huge morerows": (5_000, lambda n: grant(table(
        '<tgroup cols="2"><tbody>' + rows(n, '<row><entry morerows="2147483647">a</entry><entry>b</entry></row>')
        + "</tbody></tgroup>"))),
    "spans over every column and row": (1_000, lambda n: grant(table(
        f'<tgroup cols="{n}">' + rows(n, '<colspec colname="c#"/>') + "<tbody>"
        + rows(n, f'<row><entry namest="c0" nameend="c{n - 1}" morerows="{n}">a</entry><entry>b</entry></row>')
        + "</tbody></tgroup>"))),
    "many named columns": (4_000, lambda n: grant(table(
        "<tgroup>" + rows(n, '<colspec colname="c#"/>') + "<tbody>"
        + rows(n, '<row><entry colname="none">a</entry><entry namest="c">b</entry></row>')
        + "</tbody></tgroup>"))),
    "ragged rows": (2_000, lambda n: grant(table(
        "<tgroup><tbody><row>" + rows(n, "<entry>a</entry>") + "</row>" + rows(n, "<row><entry>b</entry></row>")
        + "</tbody></tgroup>"))),
    "many tgroups": (5_000, lambda n: grant(table(rows(n, '<tgroup cols="1"><row><entry>a</entry></row></tgroup>')))),
    "many tables": (4_000, lambda n: grant(rows(n, table('<tgroup cols="2"><row><entry>a</entry><entry>b</entry></row></tgroup>')))),
    "mathml depth": (20_000, lambda n: grant(formula(nested(n, "<mrow><msqrt>", "<mi>x</mi>", "</msqrt></mrow>", 100)))),
    "mathml width": (40_000, lambda n: grant(formula("<mrow>" + "<mi>x</mi><mo>+</mo>" * n + "</mrow>"))),
    "mfenced width": (40_000, lambda n: grant(formula(
        '<mfenced separators="; , \uff1b">' + "<mi>a</mi>" * n + "</mfenced>"))),
}


def cpu_seconds(document: str) -> tuple[float, int]:
    """The least CPU time of rendering both flavours, and the longer output."""
    best = float("inf")
    longest = 0
    for _ in range(3):
        start = time.process_time()
        parsed = quillmark.parse(document)
        outputs = [parsed.to_markdown(), parsed.to_markdown(flavor="gfm")]
        best = min(best, time.process_time() - start)
        longest = max(len(output.encode()) for output in outputs)
    return best, longest


@pytest.mark.parametrize("shape", SHAPES)
def test_shape_renders_in_linear_time_and_bounded_output(shape):
    n, make = SHAPES[shape]
    small, large = make(n), make(4 * n)
    # A shape that grows faster than its input misses the bound every time;
    # a busy machine (or a sanitizer's allocator) only now and then, so the
    # pair is measured again before it counts as a failure.
    for _ in range(3):
        small_time, small_output = cpu_seconds(small)
        large_time, large_output = cpu_seconds(large)
        if large_time <= 6 * max(small_time, 0.01):
            break
    for document, output in ((small, small_output), (large, large_output)):
        assert output <= 100 * len(document.encode()) + 10_000
    assert large_time <= 6 * max(small_time, 0.01), f"{small_time:.3f}s then {large_time:.3f}s"
