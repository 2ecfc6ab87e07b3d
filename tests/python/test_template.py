"""The section-placeholder template and the final whitespace pass."""
import pytest

import quillmark

GRANT = """<?xml version="1.0"?>
<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45-2014-04-03.dtd" [ ]>
<us-patent-grant dtd-version="v4.5 2014-04-03">
<us-bibliographic-data-grant><invention-title>Widget</invention-title></us-bibliographic-data-grant>
<abstract><p>Short abstract.</p></abstract>
<description><p num="0001">Body.</p></description>
<claims><claim><claim-text>1. A widget.</claim-text></claim></claims>
</us-patent-grant>"""

NO_ABSTRACT = GRANT.replace("<abstract><p>Short abstract.</p></abstract>", "")

TITLE = "# Widget"
ABSTRACT = "## Abstract\n\nShort abstract."
DESCRIPTION = "## Description Of The Invention\n\n[0001] Body."
CLAIMS = "## Claims\n```claim\n1. A widget.\n```"


@pytest.mark.parametrize(
    "template, expected",
    [
        ("", ""),
        ("{{title}}", TITLE),
        ("  {{title}}  \n\n", TITLE),
        ("A{{ claims }}B", f"A{CLAIMS}B"),
        ("{{\ttitle\n}}", TITLE),
        ("x }} y", "x }} y"),
        ("{ title } {", "{ title } {"),
        ("{{title}}\n\n\n\n{{claims}}", f"{TITLE}\n\n{CLAIMS}"),
        ("{{abstract}}|{{abstract}}", f"{ABSTRACT}|{ABSTRACT}"),
        ("{{title}}\n \n\n{{title}}", f"{TITLE}\n \n\n{TITLE}"),
        ("{{title}}\r\n\r\n\r\n{{title}}", f"{TITLE}\r\n\r\n\r\n{TITLE}"),
    ],
)
def test_templates(template, expected):
    assert quillmark.parse_to_markdown(GRANT, template) == expected
    assert quillmark.parse(GRANT).to_markdown(template) == expected


@pytest.mark.parametrize(
    "template, message",
    [
        ("{{Title}}", "unknown template placeholder {{Title}}; expected one of frontmatter, title, abstract, description, claims"),
        ("{{ foo }}", "unknown template placeholder {{foo}}; expected one of frontmatter, title, abstract, description, claims"),
        ("{{}}", "unknown template placeholder {{}}; expected one of frontmatter, title, abstract, description, claims"),
        ("{{ {{title}}", "unknown template placeholder {{{{title}}; expected one of frontmatter, title, abstract, description, claims"),
        ("intro {{title", "unterminated template placeholder: '{{' with no closing '}}'"),
        ("{{title}} {{", "unterminated template placeholder: '{{' with no closing '}}'"),
    ],
)
def test_template_errors(template, message):
    for render in (lambda: quillmark.parse_to_markdown(GRANT, template), lambda: quillmark.parse(GRANT).to_markdown(template)):
        with pytest.raises(ValueError) as caught:
            render()
        assert caught.value.args == (message,)


def test_template_error_comes_before_any_parse_result_is_used():
    with pytest.raises(ValueError, match="unterminated"):
        quillmark.parse_to_markdown(GRANT, "{{")


def test_default_layout_and_missing_abstract():
    markdown = quillmark.parse_to_markdown(NO_ABSTRACT)
    assert markdown.endswith(CLAIMS)
    assert f"---\n\n{TITLE}\n\n{DESCRIPTION}\n\n{CLAIMS}" in markdown
    assert not markdown.endswith("\n")


def test_to_markdown_equals_parse_to_markdown_for_every_template():
    document = quillmark.parse(GRANT)
    for template in (None, "{{frontmatter}}", "{{description}}{{claims}}", "plain"):
        assert document.to_markdown(template) == quillmark.parse_to_markdown(GRANT, template)
        assert document.to_markdown(template=template) == quillmark.parse_to_markdown(GRANT, template=template)


def test_to_markdown_argument_errors():
    document = quillmark.parse(GRANT)
    with pytest.raises(TypeError):
        document.to_markdown(b"{{title}}")
    with pytest.raises(TypeError):
        document.to_markdown("{{title}}", "extra")
    with pytest.raises(TypeError):
        document.to_markdown(style="{{title}}")
