"""Every case of tests/data/cases: small documents of each format and the
getters, record, Markdown or error message expected of them."""
import json

import pytest

import quillmark
from cases import UNFILLED, actual, all_cases

CASES = all_cases()


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
        if kind == "markdown":
            template, flavor = key
            assert quillmark.parse_to_markdown(case.text, template, flavor=flavor) == value
            assert document.to_markdown(template, flavor=flavor) == value
        else:
            assert value is not UNFILLED, f"{kind} {key or ''}: an expectation still to fill"
            # as JSON, so the order of keys and attributes counts too
            assert json.dumps(actual(document, kind, key), ensure_ascii=False) == json.dumps(value, ensure_ascii=False)


def test_titles_are_unique():
    ids = [case.id for case in CASES]
    assert len(ids) == len(set(ids))
