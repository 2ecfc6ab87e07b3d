"""examples/parquet_year.py on a local dask.distributed cluster: one Parquet
file per weekly file, a row per document with every getter and both
Markdown flavours."""
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


def test_each_week_becomes_a_parquet_file_of_its_documents(parquet_year, tmp_path):
    first = tmp_path / "ipg240102.xml"
    first.write_bytes(GRANT + APPLICATION[:200])
    second = write_archive(tmp_path / "ipg240109.zip", {"ipg240109.xml": EXAMPLE})
    with distributed.Client(processes=False, n_workers=1, threads_per_worker=2, dashboard_address=None) as client:
        summaries = parquet_year.convert_year([first, second], tmp_path / "out", client, jobs=2)
    assert [(s["parquet"], s["documents"], s["failed"]) for s in summaries] == [
        (str(tmp_path / "out" / "ipg240102.parquet"), 2, 1), (str(tmp_path / "out" / "ipg240109.parquet"), 1, 0)]
    week = pq.read_table(tmp_path / "out" / "ipg240102.parquet").to_pylist()
    assert week[0] == expected_row(str(first), 1, 0, GRANT)
    assert (week[1]["index"], week[1]["offset"], week[1]["patent_number"], week[1]["markdown"]) == (2, len(GRANT), None, None)
    assert week[1]["error"].startswith("parse error at ")
    assert pq.read_table(tmp_path / "out" / "ipg240109.parquet").to_pylist() == [
        expected_row(f"{second}!ipg240109.xml", 1, 0, EXAMPLE)]
