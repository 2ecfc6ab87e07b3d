"""examples/dask_bulk.py on Dask's local schedulers and an in-process
dask.distributed cluster: it reads bulk files with read_bulk, whole or in
byte ranges, and writes the same rows and Markdown files, under the same
names, as the quillmark command."""
import json
import os

import pytest

from archives import write_archive
from cli_runner import run_cli
from documents import (APPLICATION, APS, EXAMPLE, GRANT, ROOT, UNNUMBERED, crlf, expected_markdown, module_markdown,
                       parse_error)

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


def rows(path) -> list[dict]:
    return [json.loads(line) for line in path.read_bytes().splitlines()]


def assert_same_files(written, expected):
    """The same file names, each with the same bytes."""
    names = sorted(path.name for path in expected.iterdir())
    assert sorted(path.name for path in written.iterdir()) == names
    for name in names:
        assert (written / name).read_bytes() == (expected / name).read_bytes(), name

def test_json_lines_on_worker_processes_match_the_command(dask_bulk, bulk_files, tmp_path):
    report = dask_bulk.convert_bulk_files(bulk_files, tmp_path / "dask", "jsonl", scheduler="processes")
    command = run_cli("convert", *bulk_files, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 1
    assert_same_files(tmp_path / "dask", tmp_path / "command")
    failures = [entry for entry in report if "error" in entry]
    assert len(report) == 5
    offset = 3 + len(crlf(APPLICATION))
    assert failures == [
        {"path": str(bulk_files[1]), "index": 2, "offset": offset, "error": parse_error(EXAMPLE[: len(EXAMPLE) // 2])}
    ]
    assert f"{bulk_files[1]}: document 2 at byte {offset}: {failures[0]['error']}" in command.stderr.decode()


@pytest.mark.parametrize("flavor", ["gfm", "default"])
def test_markdown_files_are_named_and_written_as_the_command_writes_them(dask_bulk, bulk_files, tmp_path, flavor):
    (tmp_path / "unnumbered.xml").write_bytes(UNNUMBERED + GRANT + UNNUMBERED)
    inputs = [*bulk_files, tmp_path / "unnumbered.xml"]
    report = dask_bulk.convert_bulk_files(inputs, tmp_path / "out", "markdown", scheduler="sync", flavor=flavor)
    assert [entry.get("output") for entry in report] == [
        "US9876543B2.md", "US20150012345A1.md", "US9876543B2-2.md", "US20150012345A1-2.md", None,
        "unnumbered-1.md", "US9876543B2-3.md", "unnumbered-3.md"]
    command = run_cli("convert", *inputs, "--flavor", flavor, "-o", tmp_path / "command")
    assert_same_files(tmp_path / "out", tmp_path / "command")
    if flavor == "default":
        assert (tmp_path / "out" / "US9876543B2.md").read_text() == expected_markdown("grant_v45_full.md")
        assert (tmp_path / "out" / "US9876543B2-2.md").read_text() == module_markdown(EXAMPLE)


@pytest.mark.parametrize("kind", ["zip", "tar.gz", "xml.gz"])
def test_archives_are_read_member_by_member_as_the_command_reads_them(dask_bulk, tmp_path, kind):
    members = {"ipg180123.xml": GRANT + APPLICATION + EXAMPLE[: len(EXAMPLE) // 2] + GRANT}
    if kind != "xml.gz":
        members |= {"notes/readme.pdf": b"%PDF-1.4", "aps/pftaps19760106_wk01.TXT": APS.read_bytes()}
    archive = write_archive(tmp_path / f"ipg180123.{kind}", members)
    report = dask_bulk.convert_bulk_files([archive], tmp_path / "dask", "jsonl", scheduler="sync")
    command = run_cli("convert", archive, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 1
    assert_same_files(tmp_path / "dask", tmp_path / "command")
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
    assert report[-1] == {"path": str(tmp_path / "after.xml"), "index": 1, "offset": 0, "output": "after.jsonl"}


def test_inputs_sharing_a_stem_get_outputs_of_their_own(dask_bulk, tmp_path):
    (tmp_path / "grants30.xml").write_bytes(GRANT + APPLICATION)
    archive = write_archive(tmp_path / "grants30.zip", {"grants30.xml": EXAMPLE})
    (tmp_path / "again").mkdir()
    (tmp_path / "again" / "GRANTS30.xml").write_bytes(APPLICATION)
    inputs = [tmp_path / "grants30.xml", archive, tmp_path / "again" / "GRANTS30.xml"]
    report = dask_bulk.convert_bulk_files(inputs, tmp_path / "dask", "jsonl", scheduler="threads")
    assert [entry["output"] for entry in report] == ["grants30.jsonl", "grants30.jsonl", "grants30-2.jsonl",
                                                    "GRANTS30-3.jsonl"]
    command = run_cli("convert", *inputs, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 0
    assert_same_files(tmp_path / "dask", tmp_path / "command")
    assert dask_bulk.summary(report) == "4 documents converted, 0 failed"
    assert sum(len(rows(path)) for path in (tmp_path / "dask").iterdir()) == 4


def test_rows_are_written_byte_for_byte_as_the_command_writes_them(dask_bulk, tmp_path):
    """Line separators in the text escaped, a file name that is not UTF-8 as
    the command writes it."""
    separated = GRANT.replace(b"per&#x2010;hop", "per\u2028hop\u2029key\x85".encode("utf-8"))
    path = tmp_path / os.fsdecode(b"ipg\xff180123.xml")
    path.write_bytes(separated + APPLICATION)
    report = dask_bulk.convert_bulk_files([path], tmp_path / "dask", "jsonl", scheduler="sync")
    command = run_cli("convert", path, "--format", "jsonl", "-o", tmp_path / "command")
    assert command.returncode == 0
    assert_same_files(tmp_path / "dask", tmp_path / "command")
    assert [row["title"] for row in rows(tmp_path / "dask" / "ipg_180123.jsonl")][0].startswith("Secure message relay with per\u2028hop\u2029key\x85")
    assert [entry["path"] for entry in report] == [str(path)] * 2


def split_bulk_file(tmp_path):
    """A bulk file of seven documents, the first failing (so that the first
    range has no row), to be split into byte ranges of half a grant."""
    parts = [EXAMPLE[: len(EXAMPLE) // 2], GRANT, APPLICATION, UNNUMBERED, GRANT, EXAMPLE, APPLICATION]
    assert len(parts[0]) >= len(GRANT) // 2
    path = tmp_path / "ipg180123.xml"
    path.write_bytes(b"".join(parts))
    return path


@pytest.mark.parametrize("output_format", ["jsonl", "markdown"])
def test_byte_range_tasks_give_what_one_task_gives(dask_bulk, tmp_path, output_format):
    path = split_bulk_file(tmp_path)
    ranges = dask_bulk.byte_ranges(str(path), len(GRANT) // 2)
    assert len(ranges) > 7 and dask_bulk.byte_ranges(str(path), path.stat().st_size) == [None]
    split = dask_bulk.convert_bulk_files([path, path], tmp_path / "split", output_format, "processes",
                                         task_bytes=len(GRANT) // 2)
    whole = dask_bulk.convert_bulk_files([path, path], tmp_path / "whole", output_format, "sync")
    assert split == whole
    assert [entry["index"] for entry in whole] == [1, 2, 3, 4, 5, 6, 7] * 2
    assert_same_files(tmp_path / "split", tmp_path / "whole")
    command = run_cli("convert", path, path, "--format", output_format, "-o", tmp_path / "command")
    assert_same_files(tmp_path / "split", tmp_path / "command")
    assert [name for name in (tmp_path / "split").iterdir() if name.name.startswith(".")] == []


def test_an_in_process_distributed_cluster_gives_the_same_report(dask_bulk, bulk_files, tmp_path):
    distributed = pytest.importorskip("dask.distributed", reason="dask.distributed is not installed")
    inputs = [*bulk_files, split_bulk_file(tmp_path)]
    with distributed.Client(processes=False, n_workers=2, threads_per_worker=1, dashboard_address=None) as client:
        report = dask_bulk.convert_bulk_files(inputs, tmp_path / "cluster", "jsonl", scheduler=client,
                                              task_bytes=len(GRANT) // 2)
    assert report == dask_bulk.convert_bulk_files(inputs, tmp_path / "sync", "jsonl", scheduler="sync")
    assert sorted(path.name for path in (tmp_path / "cluster").iterdir()) == [
        "ipa150108.jsonl", "ipg180123-2.jsonl", "ipg180123.jsonl"]
    for path in (tmp_path / "sync").iterdir():
        assert (tmp_path / "cluster" / path.name).read_text() == path.read_text()
