"""Turns a year of USPTO weekly bulk files into one Parquet file per week on a
local Dask cluster.

    python examples/parquet_year.py OUT_DIR WEEKLY_FILE... [--workers N] [--jobs N]

Each weekly file (a bulk file such as ipg240102.xml, or an archive of one such
as ipg240102.zip) is one task on a dask.distributed LocalCluster of N worker
processes. The task reads it with quillmark.read_bulk on --jobs threads of
the module's own and writes OUT_DIR/<file stem>.parquet, one row per
document: where it was found (source, index, offset), the error of a
document that could not be read, every Document getter as a column, and the
Markdown in both flavours (markdown, markdown_gfm). Rows are written in
batches, so a week never has to fit in memory at once.

Workers x jobs should not exceed the cores: --workers 4 --jobs 2 on 8 cores.
Needs dask[distributed] and pyarrow (pip install "dask[distributed]" pyarrow).
"""
import argparse
import pathlib
import sys

import pyarrow as pa
import pyarrow.parquet as pq
from dask.distributed import Client, LocalCluster

import quillmark

BATCH_ROWS = 256
# The getters in the order of the class; the lists of texts, the claims and
# the citations get column types of their own.
GETTERS = [name for name in vars(quillmark.Document) if not name.startswith("_") and name not in ("to_markdown", "to_dict")]
CITATION_FIELDS = [name for name in vars(quillmark.Citation) if not name.startswith("_")]
TEXT_LISTS = {"inventors", "applicants", "assignees", "ipc_classifications", "us_classifications", "cpc_classifications",
              "us_classifications_as_written"}
SPECIAL_TYPES = {
    **{name: pa.list_(pa.string()) for name in TEXT_LISTS},
    "claims": pa.list_(pa.struct([("number", pa.int32()), ("text", pa.string())])),
    "citations": pa.list_(pa.struct([(field, pa.string()) for field in CITATION_FIELDS])),
}
SCHEMA = pa.schema(
    [("source", pa.string()), ("index", pa.int64()), ("offset", pa.int64()), ("error", pa.string())]
    + [(name, SPECIAL_TYPES.get(name, pa.string())) for name in GETTERS]
    + [("markdown", pa.string()), ("markdown_gfm", pa.string())]
)


def row(item: quillmark.BulkItem) -> dict:
    values = {"source": item.source, "index": item.index, "offset": item.offset, "error": item.error}
    document = item.document
    if document is None:
        return values
    for name in GETTERS:
        value = getattr(document, name)
        if name == "claims":
            value = [{"number": claim.number, "text": claim.text} for claim in value]
        elif name == "citations":
            value = [{field: getattr(citation, field) for field in CITATION_FIELDS} for citation in value]
        values[name] = value
    values["markdown"] = document.to_markdown()
    values["markdown_gfm"] = document.to_markdown(flavor="gfm")
    return values


def week_to_parquet(path: str, out_dir: str, jobs: int = 1) -> dict:
    """Writes one weekly file's documents as OUT_DIR/<stem>.parquet."""
    stem = pathlib.PurePath(path).name.split(".")[0]
    target = pathlib.Path(out_dir) / f"{stem}.parquet"
    documents = failed = 0
    with pq.ParquetWriter(target, SCHEMA) as writer:
        batch = []
        for item in quillmark.read_bulk(path, jobs=jobs):
            batch.append(row(item))
            documents += 1
            failed += item.document is None
            if len(batch) == BATCH_ROWS:
                writer.write_table(pa.Table.from_pylist(batch, schema=SCHEMA))
                batch = []
        if batch or documents == 0:
            writer.write_table(pa.Table.from_pylist(batch, schema=SCHEMA))
    return {"file": path, "parquet": str(target), "documents": documents, "failed": failed}


def convert_year(paths, out_dir, client: Client, jobs: int = 1) -> list[dict]:
    """One task per weekly file on the cluster; one summary per file, in order."""
    pathlib.Path(out_dir).mkdir(parents=True, exist_ok=True)
    futures = client.map(week_to_parquet, [str(path) for path in paths], out_dir=str(out_dir), jobs=jobs, pure=False)
    return client.gather(futures)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out_dir")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--jobs", type=int, default=1)
    arguments = parser.parse_args()
    with LocalCluster(n_workers=arguments.workers, threads_per_worker=1) as cluster, Client(cluster) as client:
        summaries = convert_year(arguments.files, arguments.out_dir, client, arguments.jobs)
    for summary in summaries:
        print(f"{summary['parquet']}: {summary['documents']} documents, {summary['failed']} failed", file=sys.stderr)
    return 1 if any(summary["failed"] for summary in summaries) else 0


if __name__ == "__main__":
    sys.exit(main())
