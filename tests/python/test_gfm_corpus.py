"""The GFM flavour on every real publication of `tests/corpus/`.

Each document is rendered with `flavor="gfm"`, its formulas are read by a
LaTeX math parser (latex2mathml) and the rest by a CommonMark parser with
GFM tables and strikethrough (markdown-it-py). Then: no HTML is left but
the inline tags the flavour writes (and table tags where a table has
spanned cells), no processing instruction and no brace notation is left,
every emphasis marker is read as emphasis (the only "*" of the rendered
text are the escaped ones of the source), tables come out as tables (but
the table of lines of an older sequence listing), one for each table of the
source and none a header without rows, every formula parses as LaTeX, the front matter loads
with every value a text, and every word of the source's title, abstract, description and claims is in
the Markdown (the corpus test's word check).
"""
from __future__ import annotations

import re
from functools import lru_cache

import pytest

import corpus_oracle as oracle

import quillmark
import yaml
from latex2mathml.converter import convert as latex_to_mathml
from markdown_it import MarkdownIt

WELL_FORMED = [name for name in oracle.corpus_files() if name not in oracle.MALFORMED]

INLINE_TAGS = {"sub", "sup", "br", "ins", "del", "u"}
TABLE_TAGS = {"table", "tr", "th", "td"}
_TAG = re.compile(r"</?([A-Za-z][\w.:-]*)")
_DISPLAY_MATH = re.compile(r"(?<!\\)\$\$(.+?)(?<!\\)\$\$", re.S)
_INLINE_MATH = re.compile(r"(?<![\\$])\$(?!\$)(.+?)(?<![\\$])\$")
_BRACE_NOTATION = re.compile(r"\{[^{}]*\bover \(|\{(?:overscore|fraction) \(|\{square root\}", re.I)

# Words of USPTO's character notations, which the flavour turns into the
# characters they stand for: "{dot over (m)}" is "ṁ", "D.sub.1" is "D<sub>1</sub>".
NOTATION_WORDS = {
    "over", "umlaut", "acute", "grave", "circumflex", "tilde", "hacek", "dot", "overscore",
    "square", "root", "fraction", "right", "arrow", "circle", "around",
    "sub", "sup", "Iadd", "Iaddend",
}

# The words of the fixed headings: a document's own heading that repeats one
# ("BRIEF DESCRIPTION OF THE DRAWINGS") is not shown twice.
HEADING_WORDS = {word.casefold() for word in re.findall(
    r"\w+", "Abstract Cross-Reference To Related Applications Summary Of The Invention "
    "Brief Description Of The Drawings Description Of The Invention Claims")}

PARSER = MarkdownIt("commonmark").enable("table").enable("strikethrough")


@lru_cache(maxsize=None)
def rendered(name: str) -> str:
    return quillmark.parse_to_markdown(oracle.read_source(name), flavor="gfm")


def formulas_and_rest(markdown: str) -> tuple[list[str], str]:
    """The LaTeX of every formula, and the Markdown with each formula a word."""
    formulas: list[str] = []

    def take(match: re.Match) -> str:
        formulas.append(match.group(1))
        return "FORMULA"

    rest = _DISPLAY_MATH.sub(take, markdown)
    return formulas, _INLINE_MATH.sub(take, rest)


def walk(tokens):
    for token in tokens:
        yield token
        if token.children:
            yield from walk(token.children)


@pytest.mark.parametrize("name", WELL_FORMED)
def test_gfm_reads_as_commonmark(name):
    markdown = rendered(name)
    assert "<?" not in markdown
    assert not _BRACE_NOTATION.search(markdown), _BRACE_NOTATION.search(markdown).group()
    formulas, rest = formulas_and_rest(markdown)
    for latex in formulas:
        latex_to_mathml(latex)
    tokens = list(walk(PARSER.parse(rest)))
    stray = []
    for token in tokens:
        if token.type in ("html_inline", "html_block"):
            allowed = INLINE_TAGS | (TABLE_TAGS if token.type == "html_block" else set())
            stray += [tag for tag in _TAG.findall(token.content) if tag.lower() not in allowed]
    assert not stray, f"tags left: {sorted(set(stray))[:20]}"
    stars = sum(token.content.count("*") for token in tokens if token.type == "text")
    assert stars == rest.count("\\*"), "emphasis markers read as text"
    source = oracle.read_source(name)
    if "<tgroup" in source and not name.startswith("sequence/"):  # a listing's table is its lines
        assert any(token.type == "table_open" for token in tokens) or "<table>" in rest


_SEQUENCE_LISTING = re.compile(r"<sequence-cwu\b.*?</sequence-cwu>", re.S)
_SOURCE_TABLE = re.compile(r"<table[\s>]")


WITH_TABLES = [name for name in WELL_FORMED
               if not name.startswith("sequence/") and "<tgroup" in oracle.read_source(name)]


@pytest.mark.parametrize("name", WITH_TABLES)
def test_gfm_renders_one_table_per_source_table(name):
    """Each CALS table (but a sequence listing's, which is its lines) is one
    pipe or HTML table, whatever its tgroups, and no pipe table is a header
    without rows."""
    source = oracle.read_source(name)
    tokens = PARSER.parse(formulas_and_rest(rendered(name))[1])
    pipe_tables = sum(token.type == "table_open" for token in tokens)
    html_tables = sum(token.content.count("<table>") for token in tokens if token.type == "html_block")
    assert pipe_tables + html_tables == len(_SOURCE_TABLE.findall(_SEQUENCE_LISTING.sub("", source)))
    header_only = [index for index, token in enumerate(tokens[:-1])
                   if token.type == "thead_close" and tokens[index + 1].type == "table_close"]
    assert not header_only


def _texts_or_none(value) -> bool:
    if isinstance(value, list):
        return all(_texts_or_none(item) for item in value)
    if isinstance(value, dict):
        return all(_texts_or_none(item) for item in value.values())
    return value is None or isinstance(value, str)


@pytest.mark.parametrize("name", WELL_FORMED)
def test_gfm_front_matter_loads_as_texts(name):
    """A YAML 1.1 loader (PyYAML) reads every value as the text it is: no
    date, number, boolean or octal number."""
    front = rendered(name).split("\n---", 1)[0].removeprefix("---\n")
    facts = yaml.safe_load(front)
    assert isinstance(facts.pop("citation_count"), int)
    assert _texts_or_none(facts), {key: value for key, value in facts.items() if not _texts_or_none(value)}


def _rewritten(word: str, source: str) -> bool:
    """A word of a repeated heading, of a notation, an APS symbol name
    (".degree."), or one that the source writes against a notation item
    ("Schr{umlaut over (o)}der" gives the source's reading the word "Schr")."""
    if word == "deg" and "&deg;" in source:  # the degree sign, "°"
        return True
    return word in NOTATION_WORDS or word.casefold() in HEADING_WORDS or bool(
        re.search(re.escape(word) + r"(?:\{|\.su[bp]\.)|(?:\)\}|\.su[bp]\.)" + re.escape(word) + "|\\." + re.escape(word) + "\\.",
                  source))


@pytest.mark.parametrize("name", WELL_FORMED)
def test_gfm_holds_every_word_of_the_text(name):
    source = oracle.read_source(name)
    facts = oracle.source_facts(name, source)
    missing = [word for word in oracle.missing_words(facts.words, rendered(name))
               if not _rewritten(word, source)]
    assert not missing, f"{len(missing)} words of the source are not in the Markdown: {missing[:40]}"


_LONE_NUMBER = re.compile(r"^\d+\.?$")
_BACKGROUND = re.compile(r"^### .*\b(?:BACKGROUND|FIELD)\b", re.I)


def _blocks(markdown: str) -> list[str]:
    body = markdown.split("\n---", 1)[1] if markdown.startswith("---") else markdown
    return [block.strip() for block in body.split("\n\n") if block.strip()]


@pytest.mark.parametrize("name", WELL_FORMED)
def test_gfm_reads_like_the_printed_patent(name):
    """One H2 of each name; no "Summary" heading over a background part; no
    paragraph of a lone number; no paragraph numbers in the abstract; no
    " deg" for the degree sign; a title and an ISO date in the front matter."""
    markdown = rendered(name)
    h2 = [line for line in markdown.split("\n") if line.startswith("## ")]
    assert len(h2) == len(set(h2)), h2
    headings = [line for line in markdown.split("\n") if line.startswith("##")]
    for above, below in zip(headings, headings[1:]):
        assert not ("Summary" in above and _BACKGROUND.match(below)), (above, below)
    blocks = _blocks(markdown)
    assert not [block for block in blocks if _LONE_NUMBER.match(block)]
    if "## Abstract" in markdown:
        abstract = markdown.split("## Abstract", 1)[1].split("\n## ", 1)[0]
        assert not re.search(r"^\[\d+\]", abstract, re.M), abstract[:200]
    assert not re.search(r"\d ?deg\b", markdown)
    front = yaml.safe_load(markdown.split("\n---", 1)[0].removeprefix("---\n"))
    assert "title" in front and "date" in front
    assert front["date"] is None or re.fullmatch(r"\d{4}-\d{2}-\d{2}", front["date"])
