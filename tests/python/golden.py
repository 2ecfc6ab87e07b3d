"""Whole-output comparison of the shipped test documents.

Every tests/data/<name>.xml or <name>.txt that has a <name>.md beside it is
rendered and compared with that file, and in the gfm flavour with
<name>.gfm.md; a <name>.json beside it holds the
expected getter values. Run this module as a script to print the current
outputs of one document for review:

    python tests/python/golden.py tests/data/grant_v45_full.xml
"""
import json
import pathlib
import sys
import types

import quillmark

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"
SOURCES = sorted(p for p in DATA.iterdir() if p.suffix in (".xml", ".txt") and p.with_suffix(".md").exists())

# Every getter of Document, in the order the class lists them.
GETTERS = [name for name, value in vars(quillmark.Document).items() if isinstance(value, types.GetSetDescriptorType)]
CITATION_FIELDS = [name for name, value in vars(quillmark.Citation).items() if isinstance(value, types.GetSetDescriptorType)]


def plain(value):
    """A getter's value as JSON holds it: claims as [number, text], citations
    as objects of their fields."""
    if isinstance(value, list):
        return [plain(item) for item in value]
    if isinstance(value, quillmark.Claim):
        return [value.number, value.text]
    if isinstance(value, quillmark.Citation):
        return {field: getattr(value, field) for field in CITATION_FIELDS}
    return value


def getters(document: quillmark.Document) -> dict:
    return {name: plain(getattr(document, name)) for name in GETTERS}


def main(path: str) -> None:
    text = pathlib.Path(path).read_text(encoding="utf-8")
    document = quillmark.parse(text)
    print(document.to_markdown())
    print("=" * 72)
    print(json.dumps(getters(document), indent=2, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
