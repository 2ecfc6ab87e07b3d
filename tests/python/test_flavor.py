"""The `flavor` argument: None or "default" is the default layout, "gfm" GitHub Flavored
Markdown, any other name a ValueError naming the flavours; templates work
alike in both."""
import pytest

import quillmark
from test_template import GRANT

MESSAGE = "unknown Markdown flavor '{}'; expected 'default', 'gfm' or None (the default layout)"


@pytest.mark.parametrize("name", ["GFM", "", "Default", "commonmark"])
def test_unknown_flavor_is_a_value_error_naming_the_flavors(name):
    for render in (lambda: quillmark.parse_to_markdown(GRANT, flavor=name),
                   lambda: quillmark.parse(GRANT).to_markdown(flavor=name)):
        with pytest.raises(ValueError) as raised:
            render()
        assert str(raised.value) == MESSAGE.format(name)


@pytest.mark.parametrize("flavor", [None, "default"])
def test_none_and_default_are_the_default_layout(flavor):
    assert quillmark.parse_to_markdown(GRANT, flavor=flavor) == quillmark.parse_to_markdown(GRANT)
    assert quillmark.parse(GRANT).to_markdown(None, flavor=flavor) == quillmark.parse_to_markdown(GRANT)


@pytest.mark.parametrize("template", [None, "{{claims}}", "Source: USPTO\n\n{{title}}\n\n\n\n{{abstract}}"])
def test_templates_place_the_gfm_sections(template):
    whole = quillmark.parse_to_markdown(GRANT, template, flavor="gfm")
    assert whole == quillmark.parse(GRANT).to_markdown(template, flavor="gfm")
    assert "```" not in whole and "\n\n\n" not in whole


def test_gfm_claims_and_title():
    assert quillmark.parse_to_markdown(GRANT, "{{title}}\n{{claims}}", flavor="gfm") == \
        "# Widget\n## Claims\n\n1\\. A widget."


def test_template_error_comes_before_the_flavor_is_used():
    with pytest.raises(ValueError, match="unknown template placeholder"):
        quillmark.parse_to_markdown(GRANT, "{{x}}", flavor="gfm")
