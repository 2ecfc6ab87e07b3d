"""Turns a year of USPTO weekly bulk files into Parquet on a local Dask
cluster, every core busy to the end.

    python examples/parquet_year.py OUT_DIR WEEKLY_FILE... [--workers N] [--jobs N]
                                    [--compression zstd|snappy|gzip|none] [--task-mb N]

Each weekly file (a bulk file such as ipg240102.xml, or an archive of one such
as ipg240102.zip) becomes the directory OUT_DIR/<file stem>/ of Parquet files
part-00000.parquet, part-00001.parquet, ... in file order, one row per
document: where it was found (source, index, offset), the error of a document
that could not be read, every Document getter as a column, and the Markdown
in both flavours (markdown, markdown_gfm). Read a week back with
pyarrow.parquet.read_table(OUT_DIR/<stem>) or DuckDB's
'OUT_DIR/<stem>/*.parquet'. Two inputs with the same stem get directories of
their own: <stem>, <stem>-2, ...

A plain weekly file is split into byte ranges of about --task-mb megabytes
(128 by default), one task each, so that every worker has work until the end;
an archive is one task. A task reads its part with quillmark.read_bulk_arrow
on --jobs threads of the module's own, which parse, render and build the
Arrow record batches outside the interpreter lock, and writes each batch as
it comes (pyarrow.parquet.ParquetWriter.write_batch): a week never has to fit
in memory. The long text columns are written without dictionary encoding,
which only costs time on them.

Workers x jobs should not exceed the cores: --workers 8 --jobs 2 on 16 cores.
Needs dask[distributed] and pyarrow (pip install "dask[distributed]" pyarrow),
and bulk_tasks.py beside it.
"""
import argparse
import os
import pathlib
import sys

import pyarrow as pa
import pyarrow.parquet as pq
from dask.distributed import Client, LocalCluster

import quillmark
from bulk_tasks import TASK_BYTES, OutputNames, byte_ranges

COMPRESSION_LEVELS = {"zstd": 1, "gzip": None, "snappy": None, "none": None}
# Columns of long, mostly unique text: a dictionary of them is work for
# nothing.
LONG_TEXT = {"title", "abstract_text", "claims", "citations", "markdown", "markdown_gfm"}


def leaf_paths(field: pa.Field, prefix: str = "") -> list[str]:
    """The Parquet column paths of a field: lists as NAME.list.element, structs
    as NAME.FIELD."""
    path = prefix + field.name
    if pa.types.is_list(field.type):
        return leaf_paths(pa.field("element", field.type.value_type), path + ".list.")
    if pa.types.is_struct(field.type):
        return [leaf for child in field.type for leaf in leaf_paths(child, path + ".")]
    return [path]


def dictionary_columns(schema: pa.Schema) -> list[str]:
    return [leaf for field in schema if field.name not in LONG_TEXT for leaf in leaf_paths(field)]


def output_names(paths) -> list[str]:
    """One directory name per input, its stem, with -2, -3, ... for a stem met
    again."""
    names = OutputNames()
    return [names.claim(pathlib.PurePath(path).name.split(".")[0] or "input") for path in paths]


def part_to_parquet(path: str, byte_range, target: str, jobs: int = 1, compression: str = "zstd") -> dict:
    """Writes the documents of one task (a byte range of a file, or a whole
    input) as the Parquet file `target`."""
    stream = quillmark.read_bulk_arrow(path, jobs=jobs, byte_range=byte_range)
    reader = pa.RecordBatchReader.from_stream(stream)
    documents = failed = 0
    options = {"compression": compression if compression != "none" else None,
               "compression_level": COMPRESSION_LEVELS[compression],
               "use_dictionary": dictionary_columns(reader.schema)}
    with pq.ParquetWriter(target, reader.schema, **options) as writer:
        for batch in reader:
            writer.write_batch(batch)
            documents += batch.num_rows
            failed += batch.num_rows - batch.column("error").null_count
    return {"documents": documents, "failed": failed}


def convert_year(paths, out_dir, client: Client, jobs: int = 1, compression: str = "zstd",
                 task_bytes: int = TASK_BYTES) -> list[dict]:
    """One task per byte range of each plain file, and per archive; one summary
    per input, in order."""
    paths = [str(path) for path in paths]
    out_dir = pathlib.Path(out_dir)
    summaries, tasks = [], []
    for path, name in zip(paths, output_names(paths)):
        (out_dir / name).mkdir(parents=True, exist_ok=True)
        summaries.append({"file": path, "parquet": str(out_dir / name), "documents": 0, "failed": 0})
        for part, byte_range in enumerate(byte_ranges(path, task_bytes)):
            tasks.append((summaries[-1], path, byte_range, str(out_dir / name / f"part-{part:05d}.parquet")))
    futures = [client.submit(part_to_parquet, path, byte_range, target, jobs, compression, pure=False)
               for _, path, byte_range, target in tasks]
    for (summary, *_), result in zip(tasks, client.gather(futures)):
        summary["documents"] += result["documents"]
        summary["failed"] += result["failed"]
    return summaries


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out_dir")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--compression", choices=sorted(COMPRESSION_LEVELS), default="zstd")
    parser.add_argument("--task-mb", type=int, default=TASK_BYTES >> 20)
    arguments = parser.parse_args()
    with LocalCluster(n_workers=arguments.workers, threads_per_worker=1) as cluster, Client(cluster) as client:
        summaries = convert_year(arguments.files, arguments.out_dir, client, arguments.jobs, arguments.compression,
                                 arguments.task_mb << 20)
    for summary in summaries:
        print(f"{summary['parquet']}: {summary['documents']} documents, {summary['failed']} failed", file=sys.stderr)
    return 1 if any(summary["failed"] for summary in summaries) else 0


if __name__ == "__main__":
    sys.exit(main())
