"""examples/parquet_year.py on a local dask.distributed cluster: one Parquet
file per weekly file, a row per document with every getter and both
Markdown flavours."""
import pathlib

import pytest

from archives import write_archive
from documents import APPLICATION, EXAMPLE, GRANT, ROOT

pq = pytest.importorskip("pyarrow.parquet", reason="pyarrow is not installed")
distributed = pytest.importorskip("dask.distributed", reason="dask.distributed is not installed")

import quillmark  # noqa: E402


@pytest.fixture
def parquet_year(monkeypatch):
    monkeypatch.syspath_prepend(str(ROOT / "examples"))
    import parquet_year

    return parquet_year


def expected_row(source, index, offset, text):
    document = quillmark.parse(text.decode("utf-8"))
    row = {"source": source, "index": index, "offset": offset, "error": None}
    for name in [n for n in vars(quillmark.Document) if not n.startswith("_") and n not in ("to_markdown", "to_dict")]:
        value = getattr(document, name)
        if name == "claims":
            value = [{"number": claim.number, "text": claim.text} for claim in value]
        elif name == "citations":
            value = [{field: getattr(citation, field) for field in ("country", "doc_number", "kind", "name", "date",
                                                                      "category", "text")} for citation in value]
        row[name] = value
    return {**row, "markdown": document.to_markdown(), "markdown_gfm": document.to_markdown(flavor="gfm")}


def test_each_week_becomes_a_parquet_directory_of_its_documents(parquet_year, tmp_path):
    first = tmp_path / "ipg240102.xml"
    first.write_bytes(GRANT + APPLICATION[:200])
    second = write_archive(tmp_path / "ipg240109.zip", {"ipg240109.xml": EXAMPLE})
    with distributed.Client(processes=False, n_workers=1, threads_per_worker=2, dashboard_address=None) as client:
        summaries = parquet_year.convert_year([first, second], tmp_path / "out", client, jobs=2)
    assert [(s["parquet"], s["documents"], s["failed"]) for s in summaries] == [
        (str(tmp_path / "out" / "ipg240102"), 2, 1), (str(tmp_path / "out" / "ipg240109"), 1, 0)]
    week = pq.read_table(tmp_path / "out" / "ipg240102").to_pylist()
    assert week[0] == expected_row(str(first), 1, 0, GRANT)
    assert (week[1]["index"], week[1]["offset"], week[1]["patent_number"], week[1]["markdown"]) == (2, len(GRANT), None, None)
    assert week[1]["error"].startswith("parse error at ")
    assert pq.read_table(tmp_path / "out" / "ipg240109").to_pylist() == [
        expected_row(f"{second}!ipg240109.xml", 1, 0, EXAMPLE)]


def test_inputs_sharing_a_stem_get_outputs_of_their_own(parquet_year, tmp_path):
    plain = tmp_path / "ipg240102.xml"
    plain.write_bytes(GRANT)
    archive = write_archive(tmp_path / "ipg240102.zip", {"ipg240102.xml": EXAMPLE})
    (tmp_path / "again").mkdir()
    again = tmp_path / "again" / "IPG240102.xml"
    again.write_bytes(APPLICATION)
    with distributed.Client(processes=False, n_workers=1, threads_per_worker=1, dashboard_address=None) as client:
        summaries = parquet_year.convert_year([plain, archive, again], tmp_path / "out", client)
    assert [pathlib.Path(s["parquet"]).name for s in summaries] == ["ipg240102", "ipg240102-2", "IPG240102-3"]
    assert [pq.read_table(s["parquet"]).column("source").to_pylist() for s in summaries] == [
        [str(plain)], [f"{archive}!ipg240102.xml"], [str(again)]]


def test_long_text_is_written_without_a_dictionary_and_compressed_as_asked(parquet_year, tmp_path):
    path = tmp_path / "ipg240102.xml"
    path.write_bytes(GRANT + EXAMPLE)
    parquet_year.part_to_parquet(str(path), None, str(tmp_path / "week.parquet"), compression="snappy")
    row_group = pq.ParquetFile(tmp_path / "week.parquet").metadata.row_group(0)
    columns = {row_group.column(i).path_in_schema: row_group.column(i) for i in range(row_group.num_columns)}
    assert {column.compression for column in columns.values()} == {"SNAPPY"}
    for name in ("markdown", "markdown_gfm", "abstract_text", "claims.list.element.text"):
        assert "RLE_DICTIONARY" not in columns[name].encodings, name
    for name in ("source", "kind", "inventors.list.element"):
        assert "RLE_DICTIONARY" in columns[name].encodings, name


def test_a_plain_file_is_split_into_byte_range_tasks_that_give_every_document_once(parquet_year, tmp_path):
    path = tmp_path / "ipg240102.xml"
    parts = [GRANT, APPLICATION, EXAMPLE, GRANT]
    path.write_bytes(b"".join(parts))
    assert len(parquet_year.byte_ranges(str(path), len(GRANT))) == 4
    with distributed.Client(processes=False, n_workers=2, threads_per_worker=1, dashboard_address=None) as client:
        summaries = parquet_year.convert_year([path], tmp_path / "out", client, task_bytes=len(GRANT))
    assert sorted(p.name for p in (tmp_path / "out" / "ipg240102").iterdir()) == [
        f"part-{n:05d}.parquet" for n in range(4)]
    rows = pq.read_table(tmp_path / "out" / "ipg240102").to_pylist()
    offsets = [sum(len(part) for part in parts[:n]) for n in range(len(parts))]
    # A document's index counts from the start of its range; its offset is the file's.
    expected = [expected_row(str(path), 0, offset, part) for offset, part in zip(offsets, parts)]
    assert [{**row, "index": 0} for row in rows] == expected
    assert summaries[0]["documents"] == 4
