"""examples/dask_bulk.py on Dask's local schedulers: it reads bulk files with
read_bulk and writes the same records and Markdown as the quillmark command."""
import json

import pytest

from archives import write_archive
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



def unplaced(line: str) -> dict:
    """A row of the command without where its document was found, which the
    example's rows do not carry."""
    return {key: value for key, value in json.loads(line).items() if key not in ("source", "index", "offset")}

def test_json_lines_on_worker_processes_match_the_command(dask_bulk, bulk_files, tmp_path):
    report = dask_bulk.convert_bulk_files(bulk_files, tmp_path / "dask", "jsonl", scheduler="processes", flavor="gfm")
    command = run_cli("convert", *bulk_files, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 1
    for name in ("ipg180123.jsonl", "ipa150108.jsonl"):
        from_dask = [json.loads(line) for line in (tmp_path / "dask" / name).read_text().splitlines()]
        from_command = [unplaced(line) for line in (tmp_path / "command" / name).read_text().splitlines()]
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


@pytest.mark.parametrize("kind", ["zip", "tar.gz", "xml.gz"])
def test_archives_are_read_member_by_member_as_the_command_reads_them(dask_bulk, tmp_path, kind):
    members = {"ipg180123.xml": GRANT + APPLICATION + EXAMPLE[: len(EXAMPLE) // 2] + GRANT}
    if kind != "xml.gz":
        members |= {"notes/readme.pdf": b"%PDF-1.4", "aps/pftaps19760106_wk01.TXT": APS.read_bytes()}
    archive = write_archive(tmp_path / f"ipg180123.{kind}", members)
    report = dask_bulk.convert_bulk_files([archive], tmp_path / "dask", "jsonl", scheduler="sync", flavor="gfm")
    command = run_cli("convert", archive, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 1
    written = sorted(path.name for path in (tmp_path / "command").iterdir())
    assert sorted(path.name for path in (tmp_path / "dask").iterdir()) == written
    for name in written:
        from_dask = [json.loads(line) for line in (tmp_path / "dask" / name).read_text().splitlines()]
        assert from_dask == [unplaced(line) for line in (tmp_path / "command" / name).read_text().splitlines()]
    failures = [entry for entry in report if "error" in entry]
    assert [(entry["path"], entry["index"], entry["offset"]) for entry in failures] == [
        (f"{archive}!ipg180123.xml", 3, len(GRANT + APPLICATION))
    ]
    assert f"{archive}!ipg180123.xml: document 3 at byte {len(GRANT + APPLICATION)}: " in command.stderr.decode()
    assert len(report) == (4 if kind == "xml.gz" else 7)


@pytest.mark.parametrize("kind", ["zip", "tar.gz", "xml.gz"])
def test_a_truncated_archive_is_reported_and_never_stops_the_run(dask_bulk, tmp_path, kind):
    archive = write_archive(tmp_path / f"broken.{kind}", {"broken.xml": GRANT + APPLICATION})
    data = archive.read_bytes()
    archive.write_bytes(data[: len(data) * 4 // 5])
    (tmp_path / "after.xml").write_bytes(GRANT)
    report = dask_bulk.convert_bulk_files([archive, tmp_path / "after.xml"], tmp_path / "out", "jsonl", scheduler="sync")
    assert {entry["index"] for entry in report if "error" in entry} == {0}  # the archive's own errors
    assert report[-1] == {"path": str(tmp_path / "after.xml"), "index": 1, "offset": 0}


def test_an_in_process_distributed_cluster_gives_the_same_report(dask_bulk, bulk_files, tmp_path):
    distributed = pytest.importorskip("dask.distributed", reason="dask.distributed is not installed")
    with distributed.Client(processes=False, n_workers=1, threads_per_worker=2, dashboard_address=None) as client:
        report = dask_bulk.convert_bulk_files(bulk_files, tmp_path / "cluster", "jsonl", scheduler=client)
    assert report == dask_bulk.convert_bulk_files(bulk_files, tmp_path / "sync", "jsonl", scheduler="sync")
    for name in ("ipg180123.jsonl", "ipa150108.jsonl"):
        assert (tmp_path / "cluster" / name).read_text() == (tmp_path / "sync" / name).read_text()
