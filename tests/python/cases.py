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
                            [number, text], "citations" a list of objects);
                            a name that is no getter is a key of to_dict()
    %% record               the record's sections as JSON (to_dict()["sections"]),
                            indented, compared with its key order
    %% markdown             the Markdown of the default template, as text
    %% markdown TEMPLATE    the Markdown of TEMPLATE (a JSON string when it
                            holds a line break)
    %% markdown [FLAVOR] [TEMPLATE]
                            the Markdown in a flavour ("gfm"), with the
                            default template or TEMPLATE
    %% error                the message of the ValueError that parse raises

Lines before the first block, and lines that start with "%%#", are comments.
"""
import dataclasses
import json
import pathlib

CASES = pathlib.Path(__file__).resolve().parent.parent / "data" / "cases"
UNFILLED = object()  # an expectation whose block is still empty


@dataclasses.dataclass
class Case:
    file: str
    title: str
    text: str
    # (kind, key, value): kind is "getter", "record", "markdown" or "error";
    # a getter or record block left empty has the value UNFILLED
    expected: list = dataclasses.field(default_factory=list)

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


def markdown_key(argument: str):
    """(template, flavor) of a markdown block's argument."""
    flavor = None
    if argument.startswith("["):
        flavor, _, argument = argument[1:].partition("]")
        argument = argument.strip()
    if not argument:
        return None, flavor
    return (json.loads(argument) if argument.startswith('"') else argument), flavor


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
            cases[-1].expected.append(("getter", argument, json.loads(body) if body else UNFILLED))
        elif kind == "record":
            cases[-1].expected.append(("record", None, json.loads(body) if body else UNFILLED))
        elif kind == "markdown":
            cases[-1].expected.append(("markdown", markdown_key(argument), body))
        elif kind == "error":
            cases[-1].expected.append(("error", None, body))
        else:
            raise ValueError(f"{path.name}: unknown block '%% {header}'")
    return cases


def all_cases() -> list[Case]:
    return [case for path in sorted(CASES.glob("*.cases")) for case in read_cases(path)]


def actual(document, kind: str, key):
    """What the module gives now for one getter, record or Markdown
    expectation."""
    from golden import getters

    if kind == "getter":
        values = getters(document)
        return values[key] if key in values else document.to_dict()[key]
    if kind == "record":
        return document.to_dict()["sections"]
    template, flavor = key
    return document.to_markdown(template, flavor=flavor)


def block_text(case: Case, kind: str, key) -> str:
    """An expectation's block as the module's present output writes it: a
    record as indented JSON, a getter's value on one line."""
    import quillmark

    try:
        document = quillmark.parse(case.text)
    except ValueError as error:
        return str(error)
    if kind == "error":
        return "(no error)"
    value = actual(document, kind, key)
    if kind == "markdown":
        return value
    return json.dumps(value, ensure_ascii=False, indent=1 if kind == "record" else None)


def meets(kind: str, written: str, present: str) -> bool:
    if kind in ("getter", "record"):
        return json.dumps(json.loads(written), ensure_ascii=False) == json.dumps(json.loads(present), ensure_ascii=False)
    return written == present


def fill(path: pathlib.Path, rewrite_failing: bool = False) -> list[str]:
    """Writes the module's present outputs into the empty expectation blocks
    of a case file, for review before it is committed. An expectation already
    written that the present output does not meet is never overwritten
    silently: without `rewrite_failing` nothing is written and the failing
    ones are returned; with it they are rewritten too, and returned, to be
    read before they are committed."""
    expectations = iter([(case, kind, key) for case in read_cases(path) for kind, key, _ in case.expected])
    lines = path.read_text(encoding="utf-8").split("\n")
    result, failing, index = [], [], 0
    while index < len(lines):
        line = lines[index]
        result.append(line)
        index += 1
        if not line.startswith("%%") or line.startswith("%%#"):
            continue
        if line[2:].strip().partition(" ")[0] not in ("expect", "record", "markdown", "error"):
            continue
        case, kind, key = next(expectations)
        end = index
        while end < len(lines) and not lines[end].startswith("%%"):
            end += 1
        body = lines[index:end]
        while body and not body[-1].strip():
            body.pop()
        blank = lines[index + len(body):end]
        present = block_text(case, kind, key)
        if body and not meets(kind, "\n".join(body), present):
            failing.append(f"{case.id}: {line}")
            if rewrite_failing:
                body = []
        if not body and present:
            body = present.split("\n")
        result.extend(body + blank)
        index = end
    if failing and not rewrite_failing:
        return failing
    path.write_text("\n".join(result), encoding="utf-8")
    return failing


if __name__ == "__main__":
    import sys

    arguments = sys.argv[1:]
    rewrite = "--rewrite-failing" in arguments
    failed = False
    for name in [argument for argument in arguments if argument != "--rewrite-failing"]:
        for expectation in fill(pathlib.Path(name), rewrite):
            print(("rewritten, read it: " if rewrite else "fails, not written: ") + expectation)
            failed = not rewrite
    sys.exit(1 if failed else 0)
