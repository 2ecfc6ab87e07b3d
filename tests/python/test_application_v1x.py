"""Application publications of the XML generations 1.5 and 1.6: libxml2's
limit on entity expansion. The rule cases are in
tests/data/cases/application_v1x.cases."""
import pytest

import quillmark


def application(body, declarations=""):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd" [{declarations}]>\n'
        "<patent-application-publication>\n"
        "<subdoc-bibliographic-information></subdoc-bibliographic-information>\n"
        f"{body}\n</patent-application-publication>\n"
    )


# Past 10,000 references to undeclared entities libxml2 used to stop the parse;
# every paragraph number of these publications is written with two of them.
def test_thousands_of_paragraph_numbers_written_as_entities_parse():
    paragraphs = "".join(
        f'<paragraph id="P-{i:04d}" lvl="0"><number>&lsqb;{i:04d}&rsqb;</number> Step {i}.</paragraph>\n'
        for i in range(1, 6001)
    )
    text = application(f"<subdoc-description><detailed-description><section>{paragraphs}</section>"
                       "</detailed-description></subdoc-description>")
    assert quillmark.parse_to_markdown(text, "{{description}}").endswith("[5999] Step 5999.\n\n[6000] Step 6000.")


# The wording after the position is libxml2's own and changes between its versions.
def test_entity_expansion_is_still_refused():
    declarations = '<!ENTITY e0 "ha">' + "".join(f'<!ENTITY e{i} "{f"&e{i - 1};" * 10}">' for i in range(1, 10))
    text = application("<subdoc-abstract><paragraph>&e9;</paragraph></subdoc-abstract>", declarations)
    with pytest.raises(ValueError, match="^parse error at "):
        quillmark.parse(text)
