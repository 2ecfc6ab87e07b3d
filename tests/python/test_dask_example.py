"""examples/dask_bulk.py on Dask's local schedulers: it splits bulk files as
the quillmark command does and writes the same records and Markdown."""
import json

import pytest

from cli_runner import run_cli
from documents import APPLICATION, APS, EXAMPLE, GRANT, ROOT, crlf, expected_markdown, module_markdown, parse_error

pytest.importorskip("dask.bag", reason="dask is not installed")


@pytest.fixture
def dask_bulk(monkeypatch):
    # On the path before import, so that worker processes import it too.
    monkeypatch.syspath_prepend(str(ROOT / "examples"))
    import dask_bulk

    return dask_bulk


@pytest.fixture
def bulk_files(tmp_path):
    truncated = EXAMPLE[: len(EXAMPLE) // 2]
    (tmp_path / "ipg180123.xml").write_bytes(GRANT + APPLICATION + EXAMPLE)
    (tmp_path / "ipa150108.xml").write_bytes(b"\xef\xbb\xbf" + crlf(APPLICATION) + truncated)
    return [tmp_path / "ipg180123.xml", tmp_path / "ipa150108.xml"]


def test_json_lines_on_worker_processes_match_the_command(dask_bulk, bulk_files, tmp_path):
    report = dask_bulk.convert_bulk_files(bulk_files, tmp_path / "dask", "jsonl", scheduler="processes")
    command = run_cli("convert", *bulk_files, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 1
    for name in ("ipg180123.jsonl", "ipa150108.jsonl"):
        from_dask = [json.loads(line) for line in (tmp_path / "dask" / name).read_text().splitlines()]
        from_command = [json.loads(line) for line in (tmp_path / "command" / name).read_text().splitlines()]
        assert from_dask == from_command
    failures = [entry for entry in report if "error" in entry]
    assert len(report) == 5
    offset = 3 + len(crlf(APPLICATION))
    assert failures == [
        {"path": str(bulk_files[1]), "index": 2, "offset": offset, "error": parse_error(EXAMPLE[: len(EXAMPLE) // 2])}
    ]
    assert f"{bulk_files[1]}: document 2 at byte {offset}: {failures[0]['error']}" in command.stderr.decode()


def test_markdown_files_are_named_per_bulk_file(dask_bulk, bulk_files, tmp_path):
    report = dask_bulk.convert_bulk_files(bulk_files, tmp_path / "out", "markdown", scheduler="sync")
    assert [entry.get("name") for entry in report] == [
        "ipg180123/US9876543B2.md",
        "ipg180123/US20150012345A1.md",
        "ipg180123/US9876543B2-2.md",
        "ipa150108/US20150012345A1.md",
        None,
    ]
    out = tmp_path / "out"
    assert (out / "ipg180123" / "US9876543B2.md").read_text() == expected_markdown("grant_v45_full.md")
    assert (out / "ipg180123" / "US9876543B2-2.md").read_text() == module_markdown(EXAMPLE)
    assert (out / "ipa150108" / "US20150012345A1.md").read_text() == expected_markdown("application_v44_short.md")


@pytest.mark.parametrize("line_ending", [b"\n", b"\r\n"], ids=["lf", "crlf"])
def test_aps_files_split_at_each_patent(dask_bulk, tmp_path, line_ending):
    content = APS.read_bytes().replace(b"\n", line_ending)
    (tmp_path / "aps.txt").write_bytes(content)
    pieces = list(dask_bulk.split_documents(str(tmp_path / "aps.txt")))
    header = content.index(b"PATN")
    assert [(p.index, p.offset) for p in pieces] == [
        (1, header),
        (2, content.index(b"PATN" + line_ending + b"WKU  D0")),
        (3, content.index(b"PATN" + line_ending + b"WKU  RE")),
    ]
    assert b"".join(p.data for p in pieces) == content[header:]
