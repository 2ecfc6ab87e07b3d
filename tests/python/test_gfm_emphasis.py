"""Emphasis and inline tags of the gfm flavour against a CommonMark reader
with GFM strikethrough, on paragraphs of nested bold, italic, deletions,
sub- and superscripts, underlining and figure references around
punctuation, spaces and letters outside ASCII, made at random from fixed
seeds: every "*" and "~" the flavour writes as a marker is read as one, so
the only "*" and "~" of the rendered text are the escaped ones of the
source."""
import random

import pytest

import quillmark
from markdown_it import MarkdownIt

PARSER = MarkdownIt("commonmark").enable("strikethrough")
SKELETON = ('<?xml version="1.0" encoding="UTF-8"?>\n<us-patent-grant dtd-version="v4.5 2014-04-03">'
            '<description id="description"><p id="p-0001">{}</p></description></us-patent-grant>')
ATOMS = ["a", "b1", " ", "  ", "(", ")", ".", ",", "\u2212", "\u03b1", "x*y", "_", "-", "1.", "'", '"', "\u00e9", "~"]
TAGS = ["b", "i", "sub", "sup", "u", "figref", "del"]


def fragment(rng: random.Random, depth: int = 0) -> str:
    parts = []
    for _ in range(rng.randint(1, 4)):
        if rng.random() < 0.5 or depth > 3:
            parts.append(rng.choice(ATOMS))
        else:
            tag = rng.choice(TAGS)
            parts.append(f"<{tag}>{fragment(rng, depth + 1)}</{tag}>")
    return "".join(parts)


def tokens(markdown: str):
    pending = PARSER.parse(markdown)
    while pending:
        token = pending.pop()
        yield token
        pending.extend(token.children or [])


@pytest.mark.parametrize("seed", range(4))
def test_every_marker_is_read_as_emphasis(seed):
    rng = random.Random(seed)
    for _ in range(500):
        body = fragment(rng)
        paragraph = quillmark.parse_to_markdown(SKELETON.format(body), "{{description}}", flavor="gfm")
        paragraph = paragraph.partition("\n\n")[2]
        texts = [token.content for token in tokens(paragraph) if token.type == "text"]
        for marker in "*~":
            assert sum(text.count(marker) for text in texts) == paragraph.count("\\" + marker), (body, paragraph)


@pytest.mark.parametrize("body, expected", [
    # A brace item left open inside emphasis keeps its opening, inside the markers.
    ("wall <b>60{square root over (5</b> of trough <b>152</b>.", "wall **60{square root over (5** of trough **152**."),
    ("<b>{dot over (m</b> ok", "**{dot over (m** ok"),
    ("a <i>b {umlaut over (\u00e9</i> c", "a *b {umlaut over (\u00e9* c"),
    # An insertion that starts where emphasis ends starts after its markers.
    ('<b>x \u20acy<?insert-start id="i1" date="20080101"?></b>added<?insert-end id="i1"?> rest',
     "**x \u20acy**<ins>added</ins> rest"),
], ids=["root", "dot", "umlaut", "insertion"])
def test_what_points_into_the_text_moves_with_it_when_markers_go_in(body, expected):
    paragraph = quillmark.parse_to_markdown(SKELETON.format(body), "{{description}}", flavor="gfm")
    assert paragraph.rsplit("\n\n", 1)[-1] == expected
