"""Every case of tests/data/cases: small documents of each format and the
getters, record, Markdown or error message expected of them."""
import pytest

import quillmark
from cases import all_cases
from golden import getters

CASES = all_cases()


def getter(document: quillmark.Document, name: str):
    values = getters(document)
    return values[name] if name in values else getattr(document, name)


@pytest.mark.parametrize("case", CASES, ids=[case.id for case in CASES])
def test_case(case):
    assert case.expected, "a case must expect something"
    errors = [value for kind, _, value in case.expected if kind == "error"]
    if errors:
        for parse in (quillmark.parse, quillmark.parse_to_markdown):
            with pytest.raises(ValueError) as raised:
                parse(case.text)
            assert str(raised.value) == errors[0]
        return
    document = quillmark.parse(case.text)
    for kind, key, value in case.expected:
        if kind == "getter":
            assert getter(document, key) == value, key
        elif kind == "record":
            assert document.to_dict()["sections"] == value
        else:
            assert quillmark.parse_to_markdown(case.text, key) == value
            assert document.to_markdown(key) == value


def test_titles_are_unique():
    ids = [case.id for case in CASES]
    assert len(ids) == len(set(ids))
