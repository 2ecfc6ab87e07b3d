"""Whole-output comparison of the shipped test documents.

Every tests/data/<name>.xml or <name>.txt that has a <name>.md beside it is
rendered and compared with that file; a <name>.json beside it holds the
expected getter values. Run this module as a script to print the current
outputs of one document for review:

    python tests/python/golden.py tests/data/grant_v45_full.xml
"""
import json
import pathlib
import sys

import quillmark

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"
SOURCES = sorted(p for p in DATA.iterdir() if p.suffix in (".xml", ".txt") and p.with_suffix(".md").exists())

GETTERS = (
    "publication_number",
    "patent_number",
    "application_number",
    "title",
    "filing_date",
    "publication_date",
    "priority_date",
    "inventors",
    "applicants",
    "assignees",
    "ipc_classifications",
    "us_classifications",
    "source_format",
    "abstract_text",
)


CITATION_FIELDS = ("country", "doc_number", "kind", "name", "date", "category", "text")


def getters(document: quillmark.Document) -> dict:
    values = {name: getattr(document, name) for name in GETTERS}
    values["claims"] = [[claim.number, claim.text] for claim in document.claims]
    values["kind"] = document.kind
    values["cpc_classifications"] = document.cpc_classifications
    values["citations"] = [{field: getattr(citation, field) for field in CITATION_FIELDS} for citation in document.citations]
    return values


def main(path: str) -> None:
    text = pathlib.Path(path).read_text(encoding="utf-8")
    document = quillmark.parse(text)
    print(document.to_markdown())
    print("=" * 72)
    print(json.dumps(getters(document), indent=2, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
