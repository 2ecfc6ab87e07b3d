"""quillmark.read_bulk_arrow: the publications of bulk files as Arrow record
batches made on the module's own threads, row for row what parse() and
to_markdown() give, read by pyarrow, polars and DuckDB through the Arrow
PyCapsule interface."""
import gc
import os
import re
import subprocess
import sys
import time

import pytest

import corpus_oracle as oracle
import quillmark
from archives import write_archive, write_zip_with_corrupt_member
from documents import APPLICATION, EXAMPLE, GRANT, crlf, parse_error

pa = pytest.importorskip("pyarrow", reason="pyarrow is not installed")

TRUNCATED = EXAMPLE[: len(EXAMPLE) // 2]
PARTS = [GRANT, APPLICATION, TRUNCATED, GRANT, crlf(APPLICATION)]
GETTERS = [name for name in vars(quillmark.Document) if not name.startswith("_") and name not in ("to_markdown", "to_dict")]
CITATION_FIELDS = [name for name in vars(quillmark.Citation) if not name.startswith("_")]
MARKDOWN = {"default": "markdown", "gfm": "markdown_gfm"}


def plain(value):
    if isinstance(value, list):
        return [plain(item) for item in value]
    if isinstance(value, quillmark.Claim):
        return {"number": value.number, "text": value.text}
    if isinstance(value, quillmark.Citation):
        return {field: getattr(value, field) for field in CITATION_FIELDS}
    return value


def expected_rows(source, parts, flavors=("default", "gfm")):
    """The rows of documents `parts` concatenated in `source`, each parsed alone."""
    rows, offset = [], 0
    for index, part in enumerate(parts, 1):
        row = {"source": source, "index": index, "offset": offset, "error": None}
        try:
            document = quillmark.parse(part.decode("utf-8"))
        except ValueError as failure:
            row["error"] = str(failure)
            row.update({name: None for name in GETTERS + [MARKDOWN[flavor] for flavor in flavors]})
        else:
            row.update({name: plain(getattr(document, name)) for name in GETTERS})
            row.update({MARKDOWN[flavor]: document.to_markdown(flavor=flavor) for flavor in flavors})
        rows.append(row)
        offset += len(part)
    return rows


@pytest.fixture
def bulk_file(tmp_path):
    path = tmp_path / "ipg180123.xml"
    path.write_bytes(b"".join(PARTS))
    return path


def native_threads() -> int:
    return len(os.listdir("/proc/self/task"))


@pytest.mark.parametrize("jobs, batch_size", [(1, 1024), (3, 2)])
def test_rows_are_the_documents_parsed_alone_errors_between_their_neighbours(bulk_file, jobs, batch_size):
    reader = pa.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(bulk_file, jobs=jobs, batch_size=batch_size))
    batches = list(reader)
    assert [batch.num_rows for batch in batches] == ([5] if batch_size == 1024 else [2, 2, 1])
    rows = pa.Table.from_batches(batches).to_pylist()
    assert rows == expected_rows(str(bulk_file), PARTS)
    assert rows[2]["error"] == parse_error(TRUNCATED)


def corpus_bulk(tmp_path, count):
    names = [name for name in oracle.corpus_files() if name.startswith("grant_v4")][:count]
    parts = [(oracle.CORPUS / name).read_bytes() for name in names]
    path = tmp_path / "ipg_corpus.xml"
    path.write_bytes(b"".join(parts))
    return path, parts


@pytest.mark.skipif(not oracle.CORPUS.is_dir(), reason="no corpus of real publications")
def test_a_bulk_file_of_real_grants_gives_every_getter_and_both_flavours(tmp_path):
    path, parts = corpus_bulk(tmp_path, 60)
    table = pa.table(quillmark.read_bulk_arrow(path, jobs=2, batch_size=16))
    assert table.num_rows == len(parts)
    assert table.to_pylist() == expected_rows(str(path), parts)


@pytest.mark.parametrize("markdown", [(), ("gfm",), "gfm", ["gfm", "default"]])
def test_only_the_flavours_asked_for_are_rendered(bulk_file, markdown):
    flavors = [markdown] if isinstance(markdown, str) else markdown
    table = pa.table(quillmark.read_bulk_arrow(bulk_file, markdown=markdown))
    # Markdown columns follow the flavour table's order.
    asked = [MARKDOWN[flavor] for flavor in ("default", "gfm") if flavor in flavors]
    assert table.column_names == ["source", "index", "offset", "error", *GETTERS, *asked]
    assert table.to_pylist() == expected_rows(str(bulk_file), PARTS, [f for f in ("default", "gfm") if f in flavors])


@pytest.mark.parametrize("kind", ["zip", "tar.gz", "xml.gz"])
def test_archives_give_the_rows_of_their_members(tmp_path, kind):
    archive = write_archive(tmp_path / f"ipg180123.{kind}", {"ipg180123.xml": b"".join(PARTS)})
    table = pa.table(quillmark.read_bulk_arrow(str(archive), jobs=2))
    assert table.to_pylist() == expected_rows(f"{archive}!ipg180123.xml", PARTS)


def test_three_byte_ranges_give_every_document_once(bulk_file):
    size = bulk_file.stat().st_size
    bounds = [0, len(GRANT) // 2, len(GRANT) + len(APPLICATION) + 10, size]
    rows = []
    for start, stop in zip(bounds, bounds[1:]):
        rows += pa.table(quillmark.read_bulk_arrow(bulk_file, byte_range=(start, stop))).to_pylist()
    # Documents are counted from the start of their range; offsets are the file's.
    expected = expected_rows(str(bulk_file), PARTS)
    for row, index in zip(expected, [1, 1, 2, 1, 2]):
        row["index"] = index
    assert rows == expected


def test_the_schema_is_the_getter_table(bulk_file):
    schema = pa.schema(quillmark.read_bulk_arrow(bulk_file))
    texts = pa.list_(pa.string())
    special = {
        "claims": pa.list_(pa.struct([("number", pa.int32()), ("text", pa.string())])),
        "citations": pa.list_(pa.struct([(field, pa.string()) for field in CITATION_FIELDS])),
        **{name: texts for name in ("inventors", "applicants", "assignees", "ipc_classifications",
                                    "us_classifications", "cpc_classifications", "us_classifications_as_written")},
    }
    assert schema == pa.schema(
        [pa.field("source", pa.string(), nullable=False), pa.field("index", pa.int64(), nullable=False),
         pa.field("offset", pa.int64(), nullable=False), ("error", pa.string())]
        + [(name, special.get(name, pa.string())) for name in GETTERS]
        + [("markdown", pa.string()), ("markdown_gfm", pa.string())])
    # Every getter of the class is a column, in the class's order.
    assert schema.names[4:-2] == GETTERS and len(GETTERS) >= 19


def test_a_damaged_member_is_a_row_and_the_next_member_is_read(tmp_path):
    archive = write_zip_with_corrupt_member(
        tmp_path / "bulk.zip", {"one.xml": GRANT, "two.xml": APPLICATION, "three.xml": GRANT},
        b"<us-patent-application")
    rows = pa.table(quillmark.read_bulk_arrow(archive, markdown=())).select(["source", "index", "error"]).to_pylist()
    assert [(row["source"].split("!")[1], row["index"]) for row in rows] == \
        [("one.xml", 1), ("two.xml", 1), ("two.xml", 0), ("three.xml", 1)]
    assert rows[2]["error"] == \
        "checksum mismatch; the 1 document yielded from it before this item came from corrupt data"


def test_polars_and_duckdb_read_the_stream(bulk_file):
    pl = pytest.importorskip("polars")
    duckdb = pytest.importorskip("duckdb")
    frame = pl.from_arrow(pa.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(bulk_file)))
    assert frame["patent_number"].to_list() == ["US9876543B2", None, None, "US9876543B2", None]
    assert pl.DataFrame(quillmark.read_bulk_arrow(bulk_file, markdown=())).height == 5
    stream = quillmark.read_bulk_arrow(bulk_file, markdown=("gfm",))
    counted = duckdb.sql("select count(*), count(error), max(len(claims)) from stream").fetchall()[0]
    assert counted == (5, 1, max(len(quillmark.parse(part.decode()).claims) for part in (GRANT, APPLICATION)))


def test_duckdb_scans_many_batches_on_threads_of_its_own(tmp_path):
    duckdb = pytest.importorskip("duckdb")
    path = tmp_path / "large.xml"
    path.write_bytes(GRANT * 400)
    stream = quillmark.read_bulk_arrow(path, jobs=2, batch_size=7, markdown=())
    connection = duckdb.connect(config={"threads": 4})
    try:
        assert connection.sql('select count(*), count(distinct "offset") from stream').fetchall() == [(400, 400)]
    finally:
        connection.close()


def test_the_stream_comes_from_read_bulk_arrow_only():
    with pytest.raises(TypeError, match="No constructor defined for BulkArrowStream"):
        quillmark.BulkArrowStream()


def test_the_stream_is_exported_once(bulk_file):
    stream = quillmark.read_bulk_arrow(bulk_file)
    capsule = stream.__arrow_c_stream__()
    with pytest.raises(ValueError, match="already been exported"):
        stream.__arrow_c_stream__()
    assert pa.schema(stream) == pa.RecordBatchReader._import_from_c_capsule(capsule).schema
    del capsule


def test_leaving_early_and_dropping_the_stream_stop_the_threads(tmp_path):
    path = tmp_path / "large.xml"
    path.write_bytes(GRANT * 3000)
    before = native_threads()
    started = time.monotonic()
    reader = pa.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(path, jobs=2, batch_size=4))
    first = reader.read_next_batch()
    assert first.column("patent_number").to_pylist() == ["US9876543B2"] * 4
    assert native_threads() == before + 3  # the reader and two workers, which deliver in order
    del reader
    gc.collect()
    assert native_threads() == before
    # A stream never read, and one exported but dropped, start no threads and leave none.
    quillmark.read_bulk_arrow(path, jobs=2)
    quillmark.read_bulk_arrow(path, jobs=2).__arrow_c_stream__()
    gc.collect()
    assert native_threads() == before
    assert time.monotonic() - started < 5


def test_a_file_that_cannot_be_opened_raises_at_once(tmp_path):
    with pytest.raises(FileNotFoundError) as raised:
        quillmark.read_bulk_arrow(tmp_path / "nothing.xml")
    assert raised.value.filename == tmp_path / "nothing.xml"


@pytest.mark.parametrize("keyword, error, message", [
    ({"jobs": 0}, ValueError, "read_bulk_arrow: jobs must be from 1 to 1024"),
    ({"batch_size": 0}, ValueError, "read_bulk_arrow: batch_size must be from 1 to "),
    ({"max_document_size": 0}, ValueError, "read_bulk_arrow: max_document_size must be from 1 to "),
    ({"markdown": ("markdown",)}, ValueError, "read_bulk_arrow: unknown Markdown flavor 'markdown'; expected 'default' or 'gfm'"),
    ({"markdown": ("gfm", "gfm")}, ValueError, "read_bulk_arrow: the Markdown flavor 'gfm' is named twice"),
    ({"markdown": (None,)}, TypeError, "read_bulk_arrow: markdown must be a sequence of flavour names"),
    ({"byte_range": (5, 2)}, ValueError, "read_bulk_arrow: byte_range must be (start, stop) with 0 <= start <= stop"),
    ({"byte_range": 5}, TypeError, "read_bulk_arrow: byte_range must be a (start, stop) pair of byte offsets"),
    ({"byte_range": (-1, 2)}, ValueError, "read_bulk_arrow: byte_range must be (start, stop) with 0 <= start"),
])
def test_bad_arguments_name_what_is_expected(bulk_file, keyword, error, message):
    with pytest.raises(error, match=re.escape(message)):
        quillmark.read_bulk_arrow(bulk_file, **keyword)


def test_a_byte_range_of_an_archive_or_directory_is_a_value_error(tmp_path):
    archive = write_archive(tmp_path / "ipg180123.zip", {"ipg180123.xml": GRANT})
    for path in (archive, tmp_path):
        with pytest.raises(ValueError, match="byte_range applies to one uncompressed file, not to an archive"):
            quillmark.read_bulk_arrow(path, byte_range=(0, 10))


# Reads in an interpreter of its own, interrupted by SIGINT while it reads
# the rest of the stream. The consumer raises an error of its own for the
# interrupted stream, and KeyboardInterrupt follows as soon as the
# interpreter runs on.
INTERRUPTED = """
import os, signal, sys, threading, pyarrow, quillmark
reader = pyarrow.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(sys.argv[1], batch_size=1))
reader.read_next_batch()
threading.Timer(0.05, os.kill, (os.getpid(), signal.SIGINT)).start()
reader.read_all()
print("read to the end")
"""


def test_ctrl_c_interrupts_the_stream_with_keyboard_interrupt(tmp_path):
    path = tmp_path / "large.xml"
    path.write_bytes(GRANT * 3000)
    result = subprocess.run([sys.executable, "-c", INTERRUPTED, str(path)], capture_output=True, timeout=60)
    assert result.returncode != 0 and result.stdout == b""
    assert "read_bulk_arrow: interrupted (KeyboardInterrupt)" in result.stderr.decode()


PEAK = """
import resource, sys, pyarrow, quillmark
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
rows = 0
for batch in pyarrow.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(sys.argv[1], jobs=2, batch_size=64)):
    rows += batch.num_rows
print(rows, (resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before) // 1024)
"""


def test_memory_stays_bounded_by_the_batches_in_flight(tmp_path):
    # 51 MB of documents: a few batches of 64 rows are held at a time (7 MiB
    # measured), where one batch of all the rows takes 46 MiB.
    path = tmp_path / "large.xml"
    path.write_bytes(GRANT * 6000)
    result = subprocess.run([sys.executable, "-c", PEAK, str(path)], capture_output=True, check=True, timeout=300)
    rows, growth_mib = map(int, result.stdout.split())
    assert rows == 6000
    assert growth_mib < 25, f"peak resident size grew by {growth_mib} MiB"
