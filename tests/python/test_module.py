"""The module surface: attributes, signatures, argument binding and errors."""
import inspect
import pathlib
import re

import pytest

import quillmark
from conftest import VERSION

GRANT = """<?xml version="1.0"?>
<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45-2014-04-03.dtd" [ ]>
<us-patent-grant dtd-version="v4.5 2014-04-03"><us-bibliographic-data-grant>
<invention-title>Widget</invention-title></us-bibliographic-data-grant></us-patent-grant>"""


def test_attributes_and_version():
    assert quillmark.__all__ == ["parse", "parse_to_markdown", "detect_format", "Document", "Claim", "__version__", "Citation",
                                 "read_bulk", "BulkItem", "read_bulk_arrow", "BulkArrowStream"]
    assert quillmark.__version__ == VERSION
    assert quillmark.__file__.endswith(".abi3.so")


@pytest.mark.parametrize(
    "function, signature, doc",
    [
        (quillmark.parse, "(xml)", "Parse USPTO patent XML into a structured [`Document`]."),
        (
            quillmark.parse_to_markdown,
            "(xml, template=None, *, flavor=None)",
            "Parse USPTO patent XML and render Markdown in one call.",
        ),
        (
            quillmark.detect_format,
            "(xml)",
            "Detect the USPTO source format of `xml` without a full parse.",
        ),
    ],
)
def test_docstrings_and_text_signatures(function, signature, doc):
    assert function.__doc__ == doc
    assert str(inspect.signature(function)) == signature


@pytest.mark.parametrize(
    "call",
    [
        lambda: quillmark.parse(),
        lambda: quillmark.parse(GRANT.encode()),
        lambda: quillmark.parse(xml=b"<x/>"),
        lambda: quillmark.parse(GRANT, GRANT),
        lambda: quillmark.parse(text=GRANT),
        lambda: quillmark.detect_format(None),
        lambda: quillmark.detect_format(xml=1),
        lambda: quillmark.parse_to_markdown(GRANT, b"{{title}}"),
        lambda: quillmark.parse_to_markdown(GRANT, template=3),
        lambda: quillmark.parse_to_markdown(GRANT, None, None),
        lambda: quillmark.parse_to_markdown(template="{{title}}"),
        lambda: quillmark.parse_to_markdown(GRANT, None, "gfm"),
        lambda: quillmark.parse_to_markdown(GRANT, flavor=b"gfm"),
        lambda: quillmark.parse(GRANT).to_markdown(None, "gfm"),
        lambda: quillmark.parse(GRANT).to_markdown(flavor=1),
    ],
)
def test_argument_errors_are_type_errors(call):
    with pytest.raises(TypeError):
        call()


def test_type_error_names_the_argument():
    with pytest.raises(TypeError, match="template"):
        quillmark.parse_to_markdown(GRANT, template=b"x")
    with pytest.raises(TypeError, match="parse"):
        quillmark.parse(b"x")


def titled_grant(title: str) -> str:
    return GRANT.replace(">Widget<", f">{title}<")


def mixed_widths(length: int) -> str:
    """Runs of characters one to four bytes wide in UTF-8, of lengths that
    put every width on and across every boundary of 16 and 16384 characters."""
    widths = ["a", "\u00e9", "\u2019", "\U0001f600", "\u00b5\u20ac", "\ufffd\U0010ffff"]
    parts, total, run = [], 0, 1
    while total < length:
        piece = widths[run % len(widths)] * run
        parts.append(piece)
        total += len(piece)
        run = run % 37 + 1
    return "".join(parts)


class Text(str):
    def isascii(self):  # a subclass cannot send non-ASCII text down the ASCII path
        return True


@pytest.mark.parametrize(
    "title",
    [
        mixed_widths(50_000),
        "\u2019" * 60_000,  # all three bytes wide: more UTF-8 than a first guess holds
        "\U0001f600" * 20_000,
        "caf\u00e9",
        "x" * 40_000 + "\u00e9",
    ],
    ids=["mixed", "three-byte", "four-byte", "short", "one-at-the-end"],
)
@pytest.mark.parametrize("wrap", [str, Text], ids=["str", "subclass"])
def test_non_ascii_text_reaches_the_parser_intact(title, wrap):
    xml = wrap(titled_grant(title))
    assert quillmark.parse(xml).title == title
    assert quillmark.detect_format(xml) == "UsptoGrantV45"
    assert quillmark.parse_to_markdown(xml, template=wrap("\u00bb{{title}}\u00ab")) == f"\u00bb# {title}\u00ab"


def test_keyword_arguments_and_the_default_template():
    assert quillmark.detect_format(xml=GRANT) == "UsptoGrantV45"
    assert quillmark.parse_to_markdown(xml=GRANT, template="{{title}}") == "# Widget"
    assert quillmark.parse(xml=GRANT).title == "Widget"
    assert quillmark.parse_to_markdown(GRANT) == quillmark.parse_to_markdown(GRANT, None)


@pytest.mark.parametrize(
    "function, text, message",
    [
        (quillmark.detect_format, "", "malformed XML"),
        (quillmark.parse, "", "source detection failed: malformed XML"),
        (quillmark.parse_to_markdown, "<foo/>", "source detection failed: unsupported XML root 'foo'"),
        (quillmark.parse, "<us-patent-grant/>", "source detection failed: unknown XML format"),
        (
            quillmark.parse,
            '<us-patent-grant dtd-version="v4.5"><a></b></us-patent-grant>',
            "parse error at 1:",
        ),
        # an entity no DTD could declare is undeclared for good
        (quillmark.parse, '<us-patent-grant dtd-version="v4.5"><a>&rsquo;</a></us-patent-grant>', "parse error at 1:"),
    ],
)
def test_errors_are_value_errors_with_fixed_messages(function, text, message):
    with pytest.raises(ValueError) as caught:
        function(text)
    assert type(caught.value) is ValueError
    assert caught.value.args[0].startswith(message)
    assert len(caught.value.args) == 1
    assert caught.value.__cause__ is None


def test_wrong_root_for_the_detected_format():
    text = '<us-patent-application dtd-version="v4.5"/>'.replace("us-patent-application", "PATDOC")
    # a PATDOC root carrying a v4.5 marker is a v4.5 grant to detection...
    assert quillmark.detect_format(text) == "UsptoGrantV45"
    with pytest.raises(ValueError, match="^v4.x grants require us-patent-grant root$"):
        quillmark.parse(text)


def test_application_root_message():
    text = '<patent-application-publication dtd-version="v4.4 2014"/>'
    assert quillmark.detect_format(text) == "UsptoApplicationV44"
    with pytest.raises(ValueError, match="^v4.x applications require us-patent-application root$"):
        quillmark.parse_to_markdown(text)


def test_missing_root_element():
    # detection accepts the start tag; the XML parser then finds nothing well-formed
    with pytest.raises(ValueError, match="^parse error at"):
        quillmark.parse('<us-patent-grant dtd-version="v4.5"')


def test_module_docstring_says_what_it_is_and_shows_its_use():
    summary, use, bulk = quillmark.__doc__.split("\n\n")
    assert "USPTO" in summary and "Markdown" in summary
    lines = [line.strip() for line in use.splitlines()]
    assert len(lines) == 3 and all(line.startswith(("text", "document", "markdown")) for line in lines)
    assert bulk.startswith("read_bulk(path)")


@pytest.mark.parametrize("cls", [quillmark.Document, quillmark.Claim, quillmark.Citation], ids=lambda c: c.__name__)
def test_every_getter_has_a_one_line_docstring(cls):
    getters = {name: value.__doc__ for name, value in vars(cls).items() if inspect.isgetsetdescriptor(value)}
    assert getters and all(doc and "\n" not in doc and doc.endswith(".") for doc in getters.values()), getters


# A path given where the text belongs, as lxml's parse(path) habit has it.
@pytest.mark.parametrize("function", [quillmark.parse, quillmark.parse_to_markdown, quillmark.detect_format])
@pytest.mark.parametrize(
    "text, shown",
    [
        ("examples/grant_v45.xml", "examples/grant_v45.xml"),  # an existing file, relative
        ("README.md\n", "README.md"),  # a line read from a list of files
        ("/data/uspto/ipg180123.xml", "/data/uspto/ipg180123.xml"),  # absent, but a path by its start
        ("./US09876543-20180123.XML", "./US09876543-20180123.XML"),
        ("~/Downloads/ipa150108.xml", "~/Downloads/ipa150108.xml"),
        ("C:\\USPTO\\ipg180123.xml", "C:\\\\USPTO\\\\ipg180123.xml"),
    ],
)
def test_a_path_passed_for_the_text_is_told_so(monkeypatch, function, text, shown):
    monkeypatch.chdir(pathlib.Path(__file__).resolve().parent.parent.parent)
    with pytest.raises(ValueError) as caught:
        function(text)
    assert caught.value.args == (
        f'the text "{shown}" looks like a file path: pass the file\'s text, or use read_bulk(path)',)


@pytest.mark.parametrize("call", [lambda path: quillmark.parse(path), lambda path: quillmark.detect_format(xml=path),
                                  lambda path: quillmark.parse_to_markdown(path, "{{title}}")],
                         ids=["parse", "detect_format", "parse_to_markdown"])
def test_a_path_object_passed_for_the_text_is_told_so(call):
    with pytest.raises(TypeError, match=r"must be str, not PosixPath; it is a file path: pass the file's text, "
                                        r"or use read_bulk\(path\)$"):
        call(pathlib.Path("examples/grant_v45.xml"))
    # Other argument errors keep their message.
    with pytest.raises(TypeError, match=r"\)$"):
        quillmark.parse(pathlib.Path("examples/grant_v45.xml"), 2)
    with pytest.raises(TypeError, match="not bytes$"):
        call(b"examples/grant_v45.xml")


@pytest.mark.parametrize(
    "text, message",
    [
        ("ipg180123.xml", "source detection failed: malformed XML"),  # no such file, no path's start
        ("/data/a.xml\n/data/b.xml", "source detection failed: malformed XML"),  # more than one line
        ("<x/>", "source detection failed: unsupported XML root 'x'"),
        ("/" + "x" * 5000, "source detection failed: malformed XML"),  # longer than any path
    ],
)
def test_texts_that_are_no_path_keep_their_message(text, message):
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        quillmark.parse(text)


@pytest.mark.parametrize("call", [lambda t: quillmark.parse_to_markdown(GRANT, t),
                                  lambda t: quillmark.parse(GRANT).to_markdown(t),
                                  lambda t: quillmark.parse_to_markdown(GRANT, template=t)],
                         ids=["parse_to_markdown", "to_markdown", "keyword"])
def test_a_flavor_name_given_as_the_template_is_refused_with_a_hint(call):
    with pytest.raises(ValueError) as caught:
        call("gfm")
    assert caught.value.args == ("template 'gfm' is the name of a Markdown flavor: pass flavor='gfm' to render "
                                 "in it (the template is the second positional argument)",)
    # Any other text is a template, placeholders or not.
    assert call("GFM") == "GFM"
    assert call("gfm {{title}}") == "gfm # Widget"
