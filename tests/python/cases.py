"""Reads the case files of tests/data/cases.

A case file holds many small documents of one format, each with the outputs
expected of it. Lines that start with "%%" open a block; the lines up to the
next such line are its text, without the line breaks and blank lines that
end it:

    %% skeleton            the document around every case; "@@" marks where
    %% skeleton NAME        the case goes (a file may name several skeletons)
    %% case TITLE           the text of a case, put into the default skeleton
    %% case [NAME] TITLE    ... into skeleton NAME; [whole] uses no skeleton
    %% expect GETTER        the getter's value as JSON ("claims" is a list of
                            [number, text], "citations" a list of objects)
    %% record               the record's sections as JSON (to_dict()["sections"])
    %% markdown             the Markdown of the default template, as text
    %% markdown TEMPLATE    the Markdown of TEMPLATE (a JSON string when it
                            holds a line break)
    %% error                the message of the ValueError that parse raises

Lines before the first block, and lines that start with "%%#", are comments.
"""
import dataclasses
import json
import pathlib

CASES = pathlib.Path(__file__).resolve().parent.parent / "data" / "cases"


@dataclasses.dataclass
class Case:
    file: str
    title: str
    text: str
    expected: list = dataclasses.field(default_factory=list)  # (kind, key, value)

    @property
    def id(self) -> str:
        return f"{self.file}: {self.title}"


def blocks(path: pathlib.Path):
    header, lines = None, []
    for line in path.read_text(encoding="utf-8").split("\n"):
        if line.startswith("%%#"):
            continue
        if line.startswith("%%"):
            if header is not None:
                yield header, "\n".join(lines).rstrip("\n")
            header, lines = line[2:].strip(), []
        else:
            lines.append(line)
    if header is not None:
        yield header, "\n".join(lines).rstrip("\n")


def template_of(argument: str):
    if not argument:
        return None
    return json.loads(argument) if argument.startswith('"') else argument


def read_cases(path: pathlib.Path) -> list[Case]:
    skeletons, cases = {}, []
    for header, body in blocks(path):
        kind, _, argument = header.partition(" ")
        if kind == "skeleton":
            skeletons[argument or "default"] = body
        elif kind == "case":
            name = "default"
            if argument.startswith("["):
                name, _, argument = argument[1:].partition("] ")
            text = body if name == "whole" else skeletons[name].replace("@@", body)
            cases.append(Case(path.stem, argument, text))
        elif kind == "expect":
            # an empty block is one still to be filled (see fill below)
            cases[-1].expected.append(("getter", argument, json.loads(body) if body else ""))
        elif kind == "record":
            cases[-1].expected.append(("record", None, json.loads(body) if body else ""))
        elif kind == "markdown":
            cases[-1].expected.append(("markdown", template_of(argument), body))
        elif kind == "error":
            cases[-1].expected.append(("error", None, body))
        else:
            raise ValueError(f"{path.name}: unknown block '%% {header}'")
    return cases


def all_cases() -> list[Case]:
    return [case for path in sorted(CASES.glob("*.cases")) for case in read_cases(path)]


def outputs(case: Case, kind: str, key):
    """What the module gives now for one expectation, as block text."""
    import quillmark
    from golden import getters

    try:
        document = quillmark.parse(case.text)
    except ValueError as error:
        return str(error)
    if kind == "getter":
        values = getters(document)
        value = values[key] if key in values else getattr(document, key)
        return json.dumps(value, ensure_ascii=False)
    if kind == "record":
        return json.dumps(document.to_dict()["sections"], ensure_ascii=False)
    if kind == "markdown":
        return document.to_markdown(key)
    return "(no error)"


def fill(path: pathlib.Path) -> None:
    """Writes the module's present outputs into the empty expectation blocks
    of a case file, for review before it is committed."""
    expectations = iter([(case, kind, key, value) for case in read_cases(path) for kind, key, value in case.expected])
    lines = path.read_text(encoding="utf-8").split("\n")
    result = []
    for line in lines:
        result.append(line)
        if line.startswith("%%") and not line.startswith("%%#"):
            kind = line[2:].strip().partition(" ")[0]
            if kind in ("expect", "record", "markdown", "error"):
                case, kind_read, key, value = next(expectations)
                if value == "":
                    result.extend(outputs(case, kind_read, key).split("\n"))
    path.write_text("\n".join(result), encoding="utf-8")


if __name__ == "__main__":
    import sys

    for name in sys.argv[1:]:
        fill(pathlib.Path(name))
