"""Converts USPTO bulk full-text files on many processes or machines with Dask.

    python examples/dask_bulk.py OUT_DIR BULK_FILE... [--format markdown|jsonl]
                                 [--flavor gfm|default] [--task-mb N]
                                 [--scheduler processes|threads|sync|ADDRESS]

Writes what `quillmark convert BULK_FILE... -o OUT_DIR/` writes, with the
work spread over Dask tasks:

- markdown (gfm; --flavor default for the module's default layout):
  OUT_DIR/<publication or patent number>.md, one per document
  (<file or member stem>-<n>.md for the n-th document of a file without a
  number);
- jsonl: OUT_DIR/<file or member stem>.jsonl, one row per document: where it
  was found (source, index, offset), every Document getter, and the Markdown.

A name met again, in any letter case, gets -2, -3, ... (two inputs
grants30.zip and grants30.xml give grants30.jsonl and grants30-2.jsonl).

A plain (uncompressed) bulk file is read in byte ranges of about --task-mb
megabytes (128 by default), one task each (quillmark.read_bulk(path,
byte_range=...)), so that every worker has work until the end; an archive
(.zip, .tar, .tar.gz, .tgz, .gz: member by member, never unpacked) or a
directory is one task. Tasks write their documents into a staging folder in
OUT_DIR; once all are done, further tasks give the files their names and join
the JSON Lines of a file's byte ranges, its documents counted over the whole
file, and the staging folder is removed.

A document that fails is listed at the end (file, document number, byte
offset, message) and never stops the run, nor does a damaged file or archive
member (listed without a document number); the last line counts the
documents written. For a cluster, give the scheduler address (this needs
dask.distributed); the bulk files and OUT_DIR must then be reachable under the
same paths on every worker, and quillmark installed there. Needs
bulk_tasks.py beside it.
"""
import argparse
import json
import os
import pathlib
import re
import shutil
import sys
import tempfile
from typing import Iterator

import dask

import quillmark
from bulk_tasks import TASK_BYTES, OutputNames, byte_ranges, file_stem, safe_file_stem

# The getters in the order of the class, as the command's JSON Lines have them.
GETTERS = [name for name in vars(quillmark.Document) if not name.startswith("_") and name not in ("to_markdown", "to_dict")]
CITATION_FIELDS = [name for name in vars(quillmark.Citation) if not name.startswith("_")]
STRAY_BYTES = re.compile("[\udc80-\udcff]")
# Kept by the tasks for the naming; not part of the report.
INTERNAL_KEYS = ("stem", "number", "staged", "before")


def plain(value):
    """A getter's value as JSON data: claims and citations become objects."""
    if isinstance(value, list):
        return [plain(item) for item in value]
    if isinstance(value, quillmark.Claim):
        return {"number": value.number, "text": value.text}
    if isinstance(value, quillmark.Citation):
        return {field: getattr(value, field) for field in CITATION_FIELDS}
    return value


def json_text(value) -> str:
    """JSON as the command writes it: compact, UTF-8, with the characters
    line-splitting readers break lines at escaped."""
    text = json.dumps(value, ensure_ascii=False, separators=(",", ":"))
    for character in ("\x85", "\u2028", "\u2029"):
        text = text.replace(character, f"\\u{ord(character):04x}")
    return text


def row_start(source: str) -> str:
    """How every JSON Lines row of a file or member begins, up to its index;
    the bytes of a file name that are not UTF-8 written as \\udcXX, as the
    command writes them."""
    source = STRAY_BYTES.sub(lambda match: f"\\u{ord(match.group()):04x}", json_text(source))
    return '{"source":' + source + ',"index":'


def json_row(item: quillmark.BulkItem, markdown: str) -> str:
    record = {"offset": item.offset, **{name: plain(getattr(item.document, name)) for name in GETTERS}}
    return f"{row_start(item.source)}{item.index},{json_text({**record, 'markdown': markdown})[1:]}\n"


def stream_stem(source: str) -> str:
    """The stem the command names the outputs of a file, or of an archive
    member (ARCHIVE!MEMBER), by."""
    for position, character in enumerate(source):
        if character == "!" and os.path.isfile(source[:position]):
            return file_stem(source[position + 1:])
    return file_stem(source)


def convert_task(path: str, byte_range, folder: str, output_format: str, flavor: str) -> list[dict]:
    """Converts the documents of one task (a byte range of a plain file, or a
    whole input) into `folder`: its k-th document as k.md, or the rows of
    the j-th file or member it reads as j.jsonl. Returns an entry per
    document, and per error of a file or member, in order."""
    os.makedirs(folder, exist_ok=True)
    report, lines, stem = [], None, None
    try:
        for position, item in enumerate(quillmark.read_bulk(path, byte_range=byte_range)):
            if not report or report[-1]["path"] != item.source:
                stem = stream_stem(item.source)
                if lines:
                    lines.close()
                    lines = None
            entry = {"path": item.source, "index": item.index, "offset": item.offset, "stem": stem}
            report.append(entry)
            if item.document is None:
                entry["error"] = item.error
                continue
            markdown = item.document.to_markdown(flavor=flavor)
            if output_format == "jsonl":
                if not lines:
                    lines = open(os.path.join(folder, f"{position}.jsonl"), "w", encoding="utf-8")
                lines.write(json_row(item, markdown))
                entry["staged"] = lines.name
            else:
                entry["staged"] = os.path.join(folder, f"{position}.md")
                pathlib.Path(entry["staged"]).write_text(markdown + "\n", encoding="utf-8")
                entry["number"] = item.document.publication_number or item.document.patent_number
    finally:
        if lines:
            lines.close()
    return report


def place_files(moves: list[tuple[str, str]]) -> int:
    """Gives staged Markdown files their names; returns how many."""
    for staged, target in moves:
        os.replace(staged, target)
    return len(moves)


def join_rows(source: str, parts: list[list], target: str) -> int:
    """Joins the staged JSON Lines of one file or member (part, documents
    before it, rows) into `target`, each part's indexes moved on by its
    documents before it; returns the rows written."""
    (first, first_before, rows), *rest = parts
    if first_before:
        rest = parts
        rows = 0
        open(target, "wb").close()
    else:
        os.replace(first, target)
    start = row_start(source).encode("utf-8")
    with open(target, "ab") as joined:
        for part, documents_before, _ in rest:
            with open(part, "rb") as lines:
                for line in lines:
                    end = line.index(b",", len(start))
                    joined.write(b"%s%d%s" % (start, int(line[len(start):end]) + documents_before, line[end:]))
                    rows += 1
            os.remove(part)
    return rows


def number_documents(results: list[list[dict]], inputs: list[int]) -> None:
    """Counts each document's index over its whole file: a byte range's
    count from 1 within the range."""
    documents_before = 0
    for task, entries in enumerate(results):
        if task and inputs[task] != inputs[task - 1]:
            documents_before = 0
        for entry in entries:
            entry["before"] = documents_before
            if entry["index"]:
                entry["index"] += documents_before
        documents_before += sum(1 for entry in entries if entry["index"])


def finishing_work(results, inputs, out_dir: pathlib.Path, output_format: str) -> list:
    """Names every output as the command would, in input and document order,
    and gives the tasks that put the staged files in place."""
    names, work = OutputNames(), []
    if output_format == "markdown":
        for entries in results:
            moves = []
            for entry in filter(lambda entry: "staged" in entry, entries):
                stem = safe_file_stem(entry["number"] or f"{entry['stem']}-{entry['index']}")
                entry["output"] = names.claim(stem, ".md")
                moves.append((entry["staged"], str(out_dir / entry["output"])))
            work.append(dask.delayed(place_files, pure=False)(moves))
        return work
    streams = {}  # (input, source) -> (target, parts)
    for task, entries in enumerate(results):
        for entry in filter(lambda entry: "staged" in entry, entries):
            key = (inputs[task], entry["path"])
            if key not in streams:
                streams[key] = (names.claim(safe_file_stem(entry["stem"]), ".jsonl"), [])
            entry["output"], parts = streams[key]
            if not parts or parts[-1][0] != entry["staged"]:
                parts.append([entry["staged"], entry["before"], 0])
            parts[-1][2] += 1
    return [dask.delayed(join_rows, pure=False)(source, parts, str(out_dir / target))
            for (_, source), (target, parts) in streams.items()]


def convert_bulk_files(paths, out_dir, output_format="markdown", scheduler="processes", flavor="gfm",
                       task_bytes=TASK_BYTES) -> list[dict]:
    """Converts the files on the given Dask scheduler, one task per byte range
    of a plain file and per other input; one report entry per document (and
    per error of a file or member), in input and document order: path, index,
    offset, and the output file's name or the error."""
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    staging = tempfile.mkdtemp(prefix=".dask_bulk-", dir=out_dir)
    try:
        tasks, inputs = [], []
        for number, path in enumerate(map(str, paths)):
            for byte_range in byte_ranges(path, task_bytes):
                folder = os.path.join(staging, str(len(tasks)))
                tasks.append(dask.delayed(convert_task, pure=False)(path, byte_range, folder, output_format, flavor))
                inputs.append(number)
        results = list(dask.compute(*tasks, scheduler=scheduler))
        number_documents(results, inputs)
        written = sum(dask.compute(*finishing_work(results, inputs, out_dir, output_format), scheduler=scheduler))
    finally:
        shutil.rmtree(staging, ignore_errors=True)
    report = [{key: value for key, value in entry.items() if key not in INTERNAL_KEYS}
              for entries in results for entry in entries]
    if written != sum(1 for entry in report if "output" in entry):
        raise RuntimeError(f"{written} documents written for {len(report)} entries")
    return report


def failures(report: list[dict]) -> Iterator[str]:
    for entry in report:
        if "error" in entry:
            where = f"document {entry['index']} at byte {entry['offset']}: " if entry["index"] else ""
            yield f"{entry['path']}: {where}{entry['error']}"


def summary(report: list[dict]) -> str:
    """The count of documents written, and of those failed, as the command
    gives them."""
    line = f"{sum(1 for entry in report if 'output' in entry)} documents converted"
    line += f", {sum(1 for entry in report if 'error' in entry and entry['index'])} failed"
    inputs = sum(1 for entry in report if "error" in entry and not entry["index"])
    return line + (f", {inputs} files or members failed" if inputs else "")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out_dir")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--format", choices=("markdown", "jsonl"), default="markdown")
    parser.add_argument("--flavor", choices=("gfm", "default"), default="gfm")
    parser.add_argument("--task-mb", type=int, default=TASK_BYTES >> 20)
    parser.add_argument("--scheduler", default="processes")
    arguments = parser.parse_args()
    scheduler = arguments.scheduler
    if "://" in scheduler:
        from dask.distributed import Client

        scheduler = Client(scheduler)
    report = convert_bulk_files(arguments.files, arguments.out_dir, arguments.format, scheduler, arguments.flavor,
                                arguments.task_mb << 20)
    failed = list(failures(report))
    for line in failed:
        print(line, file=sys.stderr)
    print(summary(report), file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
