"""Test documents shared by the command and Dask example tests, and the
records the module gives for them."""
import json
import pathlib

import quillmark
from golden import getters

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
DATA = ROOT / "tests" / "data"
GRANT = (DATA / "grant_v45_full.xml").read_bytes()  # US9876543B2
APPLICATION = (DATA / "application_v44_short.xml").read_bytes()  # US20150012345A1
EXAMPLE = (ROOT / "examples" / "grant_v45.xml").read_bytes()  # US9876543B2 as well
APS = DATA / "bulk" / "aps_three_patents.txt"

# A grant with no publication reference, so no number to name its file by.
UNNUMBERED = b"""<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v47-2022-02-17.dtd" [ ]>
<us-patent-grant lang="EN" dtd-version="v4.7 2022-02-17" country="US">
<us-bibliographic-data-grant>
<invention-title id="d2e1">Hinge</invention-title>
</us-bibliographic-data-grant>
<claims id="claims"><claim id="CLM-00001" num="00001"><claim-text>1. A hinge.</claim-text></claim></claims>
</us-patent-grant>
"""


def crlf(document: bytes) -> bytes:
    return document.replace(b"\n", b"\r\n")


def expected_markdown(name: str) -> str:
    return (DATA / name).read_text(encoding="utf-8")


def module_markdown(source: bytes, flavor: str | None = None) -> str:
    return quillmark.parse_to_markdown(source.decode("utf-8"), flavor=flavor) + "\n"


def module_record(source: bytes, flavor: str | None = None) -> dict:
    """The JSON Lines record of a document, from the module's getters."""
    text = source.decode("utf-8")
    record = getters(quillmark.parse(text))
    record["claims"] = [{"number": number, "text": text} for number, text in record["claims"]]
    record["markdown"] = quillmark.parse_to_markdown(text, flavor=flavor)
    return record


def golden_record(name: str, flavor: str | None = None) -> dict:
    """The JSON Lines record of a test document, from its expected files."""
    record = json.loads((DATA / f"{name}.json").read_text(encoding="utf-8"))
    record["claims"] = [{"number": number, "text": text} for number, text in record["claims"]]
    record["markdown"] = expected_markdown(f"{name}.gfm.md" if flavor == "gfm" else f"{name}.md").rstrip("\n")
    return record


def placed(source: str, index: int, offset: int, record: dict) -> dict:
    """A JSON Lines row of the command: where the document was found, then its record."""
    return {"source": str(source), "index": index, "offset": offset, **record}


def parse_error(source: bytes) -> str:
    try:
        quillmark.parse(source.decode("utf-8"))
    except ValueError as error:
        return str(error)
    raise AssertionError("the document parsed")
