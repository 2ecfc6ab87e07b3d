"""Hostile input: documents and templates built to read files, exhaust memory
or the stack, or confuse the text handling. Each must end in a result or in
one of the module's documented exceptions, quickly and without reading
anything outside the text."""
import ctypes
import ctypes.util
import json
import os
import re
import struct
import subprocess
import sys
import time

import pytest
import yaml

import quillmark
from conftest import read_data

PROLOG = '<?xml version="1.0" encoding="UTF-8"?>\n'
GRANT_OPEN = '<us-patent-grant dtd-version="v4.5 2014-04-03" lang="EN">'


def grant(body, subset=None):
    doctype = f"<!DOCTYPE us-patent-grant [{subset}]>\n" if subset is not None else ""
    return PROLOG + doctype + GRANT_OPEN + body + "</us-patent-grant>"


def outcome(text, template=None, raise_errors=False):
    """Everything the module can make of `text`: the Markdown and every
    getter, or the ValueError message."""
    try:
        document = quillmark.parse(text)
        markdown = quillmark.parse_to_markdown(text, template)
    except ValueError as error:
        if raise_errors:
            raise
        return str(error)
    values = [document.to_markdown(template), markdown, repr(document), document.source_format]
    values.append(document.to_markdown(template, flavor="gfm"))
    values += [document.abstract_text or "", document.title or ""]
    values += [repr(claim) + claim.text for claim in document.claims]
    for name in ("inventors", "applicants", "assignees", "ipc_classifications", "us_classifications"):
        values += getattr(document, name)
    return "\n".join(values)


# ----- external entities and DTDs --------------------------------------------

def external_documents(path):
    uri = "file://" + str(path)
    paragraph = '<abstract id="abstract"><p id="p-0001" num="0000">{}</p></abstract>'
    return {
        "general entity": grant(paragraph.format("&x;"), f'<!ENTITY x SYSTEM "{uri}">'),
        "entity in attribute": grant('<abstract id="&x;"><p>text</p></abstract>', f'<!ENTITY x SYSTEM "{uri}">'),
        "parameter entity": grant(paragraph.format("text"), f'<!ENTITY % x SYSTEM "{uri}"> %x;'),
        "parameter entity declaring a general one": grant(
            paragraph.format("&y;"), f'<!ENTITY % x SYSTEM "{uri}"> %x; <!ENTITY y "%x;">'),
        "external DTD": PROLOG + f'<!DOCTYPE us-patent-grant SYSTEM "{uri}">' + GRANT_OPEN
        + paragraph.format("&x;") + "</us-patent-grant>",
        "public DTD": PROLOG + f'<!DOCTYPE us-patent-grant PUBLIC "-//x//y" "{uri}">' + GRANT_OPEN
        + paragraph.format("text") + "</us-patent-grant>",
        "xinclude": grant('<abstract><p><xi:include xmlns:xi="http://www.w3.org/2001/XInclude" '
                          f'href="{uri}" parse="text"/></p></abstract>'),
    }


EXTERNAL_CASES = list(external_documents("/etc/passwd"))


class Inotify:
    """Records every open and read of one file (Linux inotify through libc)."""

    IN_ACCESS, IN_OPEN = 0x1, 0x20

    def __init__(self, path):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        if self.fd < 0 or self.libc.inotify_add_watch(self.fd, str(path).encode(), self.IN_ACCESS | self.IN_OPEN) < 0:
            raise OSError(ctypes.get_errno(), "inotify")

    def events(self):
        masks = []
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            return masks
        offset = 0
        while offset < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            masks.append(mask)
            offset += 16 + length
        return masks

    def close(self):
        os.close(self.fd)


@pytest.mark.parametrize("case", EXTERNAL_CASES)
def test_external_reference_yields_nothing_of_the_file(case):
    with open("/etc/passwd", encoding="utf-8") as passwd:
        secret = passwd.readline().strip()
    assert secret
    assert secret not in outcome(external_documents("/etc/passwd")[case])


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="inotify is Linux only")
@pytest.mark.parametrize("case", EXTERNAL_CASES)
def test_external_reference_opens_no_file(case, tmp_path):
    target = tmp_path / "secret.txt"
    target.write_text("SECRET-CONTENT\n")
    watch = Inotify(target)
    try:
        result = outcome(external_documents(target)[case])
        assert watch.events() == []
    finally:
        watch.close()
    assert "SECRET-CONTENT" not in result


def test_external_general_entity_is_refused():
    with pytest.raises(ValueError, match=r"^parse error at \d+:\d+: .*'x'"):
        quillmark.parse(external_documents("/etc/passwd")["general entity"])


# ----- entity expansion ---------------------------------------------------------

def laughs(levels=10, fan=10):
    entities = ['<!ENTITY e0 "lol">']
    entities += [f'<!ENTITY e{i} "{f"&e{i - 1};" * fan}">' for i in range(1, levels)]
    return "".join(entities), f"&e{levels - 1};"


def parameter_laughs(levels=10, fan=10):
    entities = ['<!ENTITY % p0 "lol">']
    entities += [f'<!ENTITY % p{i} "{f"&#37;p{i - 1};" * fan}">' for i in range(1, levels)]
    return "".join(entities) + f'<!ENTITY x "%p{levels - 1};">', "&x;"


@pytest.mark.parametrize("place", ["text", "attribute", "parameter entities"])
def test_billion_laughs_fails_quickly(place):
    subset, reference = parameter_laughs() if place == "parameter entities" else laughs()
    body = f'<abstract><p id="{reference}">x</p></abstract>' if place == "attribute" else f"<abstract><p>{reference}</p></abstract>"
    start = time.monotonic()
    with pytest.raises(ValueError, match=r"^parse error at "):
        quillmark.parse_to_markdown(grant(body, subset))
    assert time.monotonic() - start < 5


# One large entity named many times, a default attribute stamped on many
# elements: the text stays small while what it stands for reaches 20 MB.
@pytest.mark.parametrize("subset, body", [
    ('<!ENTITY q "' + "a" * 100_000 + '">', "<abstract><p>" + "&q;" * 200 + "</p></abstract>"),
    ('<!ENTITY q "' + "a" * 100_000 + '">', '<abstract><p id="' + "&q;" * 200 + '">x</p></abstract>'),
    ('<!ATTLIST p a CDATA "' + "a" * 100_000 + '">', "<abstract>" + "<p>x</p>" * 200 + "</abstract>"),
    ('<!ATTLIST p xmlns:z CDATA "' + "a" * 100_000 + '">', "<abstract>" + "<p>x</p>" * 200 + "</abstract>"),
], ids=["entity in text", "entity in attribute", "default attribute", "default namespace"])
def test_amplification_beyond_ten_megabytes_fails(subset, body):
    with pytest.raises(ValueError, match="expansion exceeds 10000000 bytes$"):
        quillmark.parse(grant(body, subset))


def test_entity_expansion_within_the_limit_is_kept():
    text = grant("<abstract><p>" + "&q;" * 90 + "</p></abstract>", '<!ENTITY q "' + "b" * 100_000 + '">')
    assert quillmark.parse(text).abstract_text == "b" * 9_000_000


# Past 10,000 references to undeclared entities libxml2 used to stop the parse;
# every paragraph number of the v1.x applications is written with two of them.
def test_thousands_of_paragraph_numbers_written_as_entities_parse():
    paragraphs = "".join(
        f'<paragraph id="P-{i:04d}" lvl="0"><number>&lsqb;{i:04d}&rsqb;</number> Step {i}.</paragraph>\n'
        for i in range(1, 6001)
    )
    text = (PROLOG + '<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd">\n'
            "<patent-application-publication><subdoc-description><detailed-description><section>"
            f"{paragraphs}</section></detailed-description></subdoc-description></patent-application-publication>")
    assert quillmark.parse_to_markdown(text, "{{description}}").endswith("[5999] Step 5999.\n\n[6000] Step 6000.")


# ----- nesting -------------------------------------------------------------------

DEPTH = 100_000

NESTING_ROOTS = {
    "grant v4": (GRANT_OPEN, "</us-patent-grant>"),
    "application v4": ('<us-patent-application dtd-version="v4.4 2014-04-03">', "</us-patent-application>"),
    "application v1.6": ('<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd">'
                         "<patent-application-publication>", "</patent-application-publication>"),
    "grant v2.5": ('<PATDOC DTD="2.5">', "</PATDOC>"),
    "sequence listing": ("<sequence-cwu>", "</sequence-cwu>"),
}

NESTING_PLACES = {
    "claim": ("<claims><claim><claim-text>", "</claim-text></claim></claims>", "claim-text"),
    "paragraph": ("<abstract><p>", "</p></abstract>", "b"),
    "description": ("<description>", "</description>", "heading"),
    "kept element": ("", "", "unknown"),
}


@pytest.mark.parametrize("root", NESTING_ROOTS)
@pytest.mark.parametrize("place", NESTING_PLACES)
def test_deep_nesting_fails_without_overflow(root, place):
    open_root, close_root = NESTING_ROOTS[root]
    before, after, element = NESTING_PLACES[place]
    text = (PROLOG + open_root + before + f"<{element}>" * DEPTH + "x" + f"</{element}>" * DEPTH + after
            + close_root)
    with pytest.raises(ValueError, match="^parse error at .*depth"):
        quillmark.parse_to_markdown(text)


INLINE_DEPTH = 250  # below the XML library's limit of 256 levels


@pytest.mark.parametrize("element", ["b", "i", "claim-text", "claim-ref", "figref", "sub", "unknown", "ul", "maths",
                                     "table"])
def test_deep_inline_markup_within_the_limit_renders(element):
    claim = f"<{element}>" * INLINE_DEPTH + "deep claim" + f"</{element}>" * INLINE_DEPTH
    abstract = f"<{element}>" * INLINE_DEPTH + "deep abstract" + f"</{element}>" * INLINE_DEPTH
    document = quillmark.parse(grant(f"<abstract><p>{abstract}</p></abstract>"
                                     f"<claims><claim><claim-text>{claim}</claim-text></claim></claims>"))
    assert "deep abstract" in document.abstract_text
    assert [claim.number for claim in document.claims] == [1]
    assert "deep claim" in document.claims[0].text
    for flavor in (None, "gfm"):
        markdown = document.to_markdown(flavor=flavor)
        assert "deep abstract" in markdown and "deep claim" in markdown
    record = json.dumps(document.to_dict())
    assert "deep abstract" in record and "deep claim" in record


# ----- size --------------------------------------------------------------------

def test_fifty_megabyte_document_parses_whole():
    paragraph = "<p>" + "word " * 999 + "last</p>"
    count = 50_000_000 // len(paragraph)
    text = grant("<abstract>" + paragraph * count + "</abstract>")
    assert len(text) > 50_000_000
    abstract = quillmark.parse(text).abstract_text
    assert abstract.count("last") == count


def test_ten_megabyte_text_node_is_accepted_and_one_byte_more_is_not():
    limit = 10_000_000
    document = quillmark.parse(grant("<abstract><p>" + "a" * limit + "</p></abstract>"))
    assert len(document.abstract_text) == limit
    with pytest.raises(ValueError, match="^parse error at "):
        quillmark.parse(grant("<abstract><p>" + "a" * (limit + 1) + "</p></abstract>"))


@pytest.mark.parametrize("where", ["element", "attribute", "root"])
def test_sixty_thousand_byte_name_fails(where):
    name = "n" * 60_000
    if where == "root":
        text = PROLOG + f"<{name}/>"
        with pytest.raises(ValueError, match=f"^source detection failed: unsupported XML root '{name}'$"):
            quillmark.parse(text)
        return
    body = f"<{name}/>" if where == "element" else f'<abstract {name}="v"/>'
    with pytest.raises(ValueError, match="^parse error at .*[Nn]ame"):
        quillmark.parse(grant(body))


def test_fifty_megabytes_without_markup_fail_detection_quickly():
    start = time.monotonic()
    with pytest.raises(ValueError, match="^malformed XML$"):
        quillmark.detect_format("x" * 50_000_000)
    assert time.monotonic() - start < 5


# ----- characters --------------------------------------------------------------

@pytest.mark.parametrize("place", ["before the root", "in text", "in an attribute", "in a name", "in a comment"])
def test_nul_character_fails(place):
    text = {
        "before the root": PROLOG + "\0" + GRANT_OPEN + "</us-patent-grant>",
        "in text": grant("<abstract><p>a\0b</p></abstract>"),
        "in an attribute": grant('<abstract id="a\0b"><p>x</p></abstract>'),
        "in a name": grant("<abs\0tract><p>x</p></abs\0tract>"),
        "in a comment": grant("<!-- a\0b --><abstract><p>x</p></abstract>"),
    }[place]
    with pytest.raises(ValueError):
        quillmark.parse_to_markdown(text)


def test_controls_in_template_are_shown_as_replacement_characters():
    """But a carriage return before a line feed: CR LF line ends stay."""
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    assert document.to_markdown("a\0{{title}}\0b").startswith("a\ufffd# ")
    assert document.to_markdown("a\r\n\x1b\rb\r{{title}}").startswith("a\r\n\ufffd\ufffdb\ufffd# ")


def test_every_control_is_found_wherever_it_stands_among_tabs_and_text():
    """The finishing pass looks at many bytes at once: a control at any
    offset of a long line, after tabs or not, and runs of line feeds
    (lone line feeds pass whole, longer runs are counted)."""
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    for offset in range(40):
        for lead in ("a", "\t"):
            template = (lead * offset + "\x1b" + "b" * 20 + "\n" + "c" * offset + "\x7f\n\n\n\n" + lead * 17
                        + "\n\n\n" + "d" * (offset % 19 + 1) + "\n\x01")
            expected = (lead * offset + "\ufffd" + "b" * 20 + "\n" + "c" * offset + "\ufffd\n\n" + lead * 17
                        + "\n\n" + "d" * (offset % 19 + 1) + "\n\ufffd")
            assert document.to_markdown(template) == expected.strip(), (offset, lead)


SURROGATE_CALLS = {
    "detect_format": lambda text: quillmark.detect_format(text),
    "parse": lambda text: quillmark.parse(text),
    "parse_to_markdown": lambda text: quillmark.parse_to_markdown(text),
    "parse_to_markdown template": lambda text: quillmark.parse_to_markdown(grant(""), "{{title}}\ud800"),
    "to_markdown template": lambda text: quillmark.parse(grant("")).to_markdown("\udfff"),
}


@pytest.mark.parametrize("call", SURROGATE_CALLS)
def test_lone_surrogate_raises_unicode_encode_error(call):
    with pytest.raises(UnicodeEncodeError):
        SURROGATE_CALLS[call](grant("<abstract><p>\ud800</p></abstract>"))


@pytest.mark.parametrize("reference", ["&#xD800;", "&#0;", "&#x110000;", "&#xFFFE;", "&#1;"])
def test_character_reference_outside_xml_characters_fails(reference):
    with pytest.raises(ValueError, match="^parse error at "):
        quillmark.parse(grant(f"<abstract><p>a{reference}b</p></abstract>"))


# The XML library quotes the first 50 bytes of an unterminated section in its
# message; wherever the cut falls in a character, the message is a ValueError.
@pytest.mark.parametrize("opening", ["<![CDATA[", "<!--"])
@pytest.mark.parametrize("character", ["\u00e9", "\u20ac", "\U0001F600"])
@pytest.mark.parametrize("lead", range(46, 50))
def test_error_quoting_a_cut_character_stays_a_value_error(opening, character, lead):
    text = PROLOG + GRANT_OPEN + "<abstract><p>" + opening + "a" * lead + character * 20
    with pytest.raises(ValueError, match="^parse error at .* not (finished|terminated)"):
        quillmark.parse(text)


# ----- truncation ---------------------------------------------------------------

def test_every_truncation_of_a_grant_gives_a_result_or_a_clear_error():
    data = read_data("grant_v45_full.xml").encode("utf-8")
    errors, results = set(), 0
    for end in range(len(data)):
        try:
            outcome(data[:end].decode("utf-8", "ignore"), raise_errors=True)
            results += 1
        except ValueError as error:
            errors.add(str(error).split(" at ")[0].split(":")[0])
    assert errors == {"source detection failed", "parse error"}
    assert results <= 1  # only the cut of the final line feed is still whole


# ----- APS text -----------------------------------------------------------------

APS_HEAD = "HHHHHT APS1.0\nPATN\nWKU  039305847\nTTL  Pump\n"


@pytest.mark.parametrize("body, check", [
    ("ABST\nPAL  start\n" + "      word\n" * 200_000, lambda d: d.abstract_text.count("word") == 200_000),
    ("CLMS\n" + "NUM  1.\nPAR  1. A pump.\n" * 50_000, lambda d: len(d.claims) == 50_000),
    ("DETD\nTBL  a   b\n" + "      1   2\n" * 200_000, lambda d: d.to_markdown().count("1   2") == 200_000),
    ("ABST\nPAL  " + "x" * 20_000_000 + "\n", lambda d: len(d.abstract_text) == 20_000_000),
    ("ABST\nPAL  a\0b\n", lambda d: d.abstract_text == "a\0b"),
], ids=["continuations", "claims", "table lines", "long line", "NUL"])
def test_large_aps_text_is_read_whole(body, check):
    assert check(quillmark.parse(APS_HEAD + body))


CONTROLS = "NUL\0 BEL\a ESC\x1b[31mred\x1b[0m OSC\x1b]0;title\a CR\r DEL\x7f end"


@pytest.mark.parametrize("flavor", ["default", "gfm"])
def test_control_characters_never_reach_the_markdown(flavor):
    """A terminal showing the Markdown acts on none of them: each is U+FFFD;
    the getters keep the text as it is."""
    document = quillmark.parse(APS_HEAD + f"ABST\nPAL  {CONTROLS}\nDETD\nPAR  {CONTROLS}\n")
    markdown = document.to_markdown(flavor=None if flavor == "default" else flavor)
    assert not re.search(r"[\x00-\x08\x0b-\x1f\x7f]", markdown.replace("\r\n", "\n"))
    assert markdown.count("NUL\ufffd BEL\ufffd ESC\ufffd[31mred\ufffd[0m OSC\ufffd]0;title\ufffd CR") == 2
    assert markdown.count("DEL\ufffd end") == 2
    assert CONTROLS in document.abstract_text


def test_controls_and_blank_lines_are_finished_wherever_they_stand():
    """The finishing pass looks at the Markdown sixteen and thirty-two bytes
    at a time: a control or a run of line feeds first, last or across those
    borders comes out the same."""
    document = quillmark.parse(APS_HEAD)
    text = "a\x01b\n\n\n\n\nc\rd\r\ne\nf\x7f"
    finished = "a\ufffdb\n\nc\ufffdd\r\ne\nf\ufffd"
    for lead in range(1, 70):
        assert document.to_markdown("x" * lead + text) == "x" * lead + finished, lead


# ----- templates -----------------------------------------------------------------

UNTERMINATED = "unterminated template placeholder: '{{' with no closing '}}'"


def unknown(name):
    return f"unknown template placeholder {{{{{name}}}}}; expected one of frontmatter, title, abstract, description, claims"


@pytest.mark.parametrize("template, error", [
    ("{" * 100_001, UNTERMINATED),
    ("{{" * 100_000, UNTERMINATED),
    ("{{" * 50_000 + "}}", unknown("{{" * 49_999)),
    ("{{{title}}}", unknown("{title")),
    ("{{ {{title}}", unknown("{{title")),
    ("{{" + " " * 1_000_000 + "}}", unknown("")),
    ("{{title}" * 10_000, UNTERMINATED),
], ids=["single braces", "open pairs", "one close", "triple", "nested", "blank name", "half closed"])
def test_pathological_template_fails_with_its_message(template, error):
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    with pytest.raises(ValueError) as raised:
        document.to_markdown(template)
    assert str(raised.value) == error


def test_closing_braces_alone_are_literal():
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    assert document.to_markdown("}}" * 100_000) == "}}" * 100_000
    assert document.to_markdown("{ " * 100_000 + "}") == ("{ " * 100_000 + "}").strip()


def test_template_repeating_a_section_many_times():
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    claims = document.to_markdown("{{claims}}")
    start = time.monotonic()
    markdown = document.to_markdown("{{claims}}\n\n" * 10_000)
    assert time.monotonic() - start < 10
    assert markdown == "\n\n".join([claims] * 10_000)


def test_template_of_line_feeds_collapses_to_nothing():
    document = quillmark.parse(read_data("grant_v45_full.xml"))
    assert document.to_markdown("\n" * 1_000_000) == ""
    assert document.to_markdown("{{title}}" + "\n" * 1_000_000 + "{{title}}").count("\n\n") == 1


# ----- memory ---------------------------------------------------------------------

OUT_OF_MEMORY = """
import resource
import quillmark
text = HEAD + "<abstract>" + "<p>x</p>" * 5_000_000 + "</abstract></us-patent-grant>"
with open("/proc/self/statm") as statm:
    size = int(statm.read().split()[0]) * resource.getpagesize()
resource.setrlimit(resource.RLIMIT_AS, (size + 300 * 2**20, resource.RLIM_INFINITY))
try:
    quillmark.CALL(text)
except MemoryError:
    print("MemoryError")
"""


@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""), reason="AddressSanitizer needs its address space")
@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="reads /proc")
@pytest.mark.parametrize("call", ["parse", "parse_to_markdown"])
def test_document_too_large_for_memory_raises_memory_error(call):
    script = OUT_OF_MEMORY.replace("HEAD", repr(PROLOG + GRANT_OPEN)).replace("CALL", call)
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120,
                            env={**os.environ, "PYTHONPATH": os.pathsep.join(sys.path)})
    assert (result.returncode, result.stdout.strip()) == (0, "MemoryError"), result.stderr[-2000:]


# ----- front matter ------------------------------------------------------------

def front_matter(markdown):
    return yaml.safe_load(markdown.split("---\n")[1])


# Names that would add keys, comments, nodes or unreadable characters to the
# front matter if written as they are: they are quoted and read back as the
# same single value, and the block keeps its keys.
@pytest.mark.parametrize("name", [
    "Evil&#10;evil3: y", "Carriage&#13;return: y", "key: value", "ends with:", "# comment", "x #comment",
    "- dash", "? question", ": colon", "[flow]", "{flow}", "*alias", "&amp;anchor", "!tag", "|block", "&gt;folded",
    "'single'", '"double"', "%directive", "@at", "`tick", "tab&#9;#x", "line&#x2028;separator", "next&#x85;line",
    "byte&#xFEFF;order", "back\\slash: y",
])
def test_front_matter_values_keep_the_keys(name):
    source = read_data("grant_v45_full.xml").replace("<first-name>Mary</first-name>", f"<first-name>{name}</first-name>")
    document = quillmark.parse(source)
    plain = front_matter(quillmark.parse_to_markdown(read_data("grant_v45_full.xml")))
    written = front_matter(quillmark.parse_to_markdown(source))
    assert list(written) == list(plain)
    assert written["inventors"] == document.inventors
    assert written["inventors"][0] != plain["inventors"][0]


# Values YAML reads as they are stay byte for byte what they were.
@pytest.mark.parametrize("name", ["Mary-Ann", "O’Brien", "a:b", "x#y", "tab&#9;inside", "-x", "?x", "100%", "C++"])
def test_front_matter_values_that_read_back_are_written_as_they_are(name):
    source = read_data("grant_v45_full.xml").replace("<first-name>Mary</first-name>", f"<first-name>{name}</first-name>")
    document = quillmark.parse(source)
    assert f"\n  - {document.inventors[0]}\n" in quillmark.parse_to_markdown(source)
