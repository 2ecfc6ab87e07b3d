"""Converts USPTO bulk full-text files on many processes or machines with Dask.

    python examples/dask_bulk.py OUT_DIR BULK_FILE... [--format markdown|jsonl]
                                 [--flavor default|gfm]
                                 [--scheduler processes|threads|sync|ADDRESS]

Every bulk file becomes one Dask task, which reads it with quillmark.read_bulk
(XML documents at each XML declaration, APS patents at each PATN line; a
.zip, .tar, .tar.gz, .tgz or .gz file member by member, never unpacked) and
writes its documents:

- markdown: OUT_DIR/<file or member stem>/<publication or patent number>.md,
  one per document (<stem>-<n>.md for a document without a number; a number
  met twice in one file gets -2, -3, ...);
- jsonl: OUT_DIR/<file or member stem>.jsonl, one record per document with
  every Document getter, the claims, the citations and the Markdown, as the
  quillmark command writes them.

A document that fails is listed at the end (file, document number, byte
offset, message) and never stops the run, nor does a damaged archive member
(listed with document number 0). For a cluster, give the scheduler address
(this needs dask.distributed); the bulk files and OUT_DIR must then be
reachable under the same paths on every worker, and quillmark installed there.
"""
import argparse
import json
import pathlib
import re
import sys
from typing import Iterator

import dask.bag as db

import quillmark

# The getters in the order of the class, as the command's JSON Lines have them.
GETTERS = [name for name in vars(quillmark.Document) if not name.startswith("_") and name not in ("to_markdown", "to_dict")]
CITATION_FIELDS = [name for name in vars(quillmark.Citation) if not name.startswith("_")]
UNSAFE_NAME_CHARACTERS = re.compile(r"[^A-Za-z0-9._-]")


def plain(value):
    """A getter's value as JSON data: claims and citations become objects."""
    if isinstance(value, list):
        return [plain(item) for item in value]
    if isinstance(value, quillmark.Claim):
        return {"number": value.number, "text": value.text}
    if isinstance(value, quillmark.Citation):
        return {field: getattr(value, field) for field in CITATION_FIELDS}
    return value


def safe_stem(text: str) -> str:
    stem = UNSAFE_NAME_CHARACTERS.sub("_", text[:200])
    return "_" + stem[1:] if stem.startswith(".") else stem


def stream_stem(source: str) -> str:
    """Names the outputs of a file, or of a member (FILE!MEMBER) of an archive."""
    return safe_stem(pathlib.PurePath(source.rsplit("!", 1)[-1]).stem)


class Outputs:
    """The files the documents of one file, or of one archive member after
    another, are written to."""

    def __init__(self, out_dir: str, output_format: str):
        self.out_dir, self.output_format = pathlib.Path(out_dir), output_format
        self.source, self.lines, self.taken = None, None, set()

    def write(self, item: quillmark.BulkItem, markdown: str) -> str | None:
        """Writes one document; returns the name of its Markdown file."""
        document, stem = item.document, stream_stem(item.source)
        if self.source != item.source:
            self.close()
            self.source, self.taken = item.source, set()
            if self.output_format == "jsonl":
                self.lines = open(self.out_dir / f"{stem}.jsonl", "w", encoding="utf-8")
        if self.lines:
            record = {name: plain(getattr(document, name)) for name in GETTERS}
            self.lines.write(json.dumps({**record, "markdown": markdown}, ensure_ascii=False) + "\n")
            return None
        base = safe_stem(document.publication_number or document.patent_number or f"{stem}-{item.index}")
        name, suffix = base, 2
        while name.lower() in self.taken:
            name, suffix = f"{base}-{suffix}", suffix + 1
        self.taken.add(name.lower())
        (self.out_dir / stem).mkdir(parents=True, exist_ok=True)
        (self.out_dir / stem / f"{name}.md").write_text(markdown + "\n", encoding="utf-8")
        return f"{stem}/{name}.md"

    def close(self):
        if self.lines:
            self.lines.close()
            self.lines = None


def convert_file(path: str, out_dir: str, output_format: str, flavor: str | None) -> list[dict]:
    """Converts the documents of one bulk file in order; returns what happened
    to each, with "error" for those that failed."""
    report = []
    outputs = Outputs(out_dir, output_format)
    try:
        for item in quillmark.read_bulk(path):
            entry = {"path": item.source, "index": item.index, "offset": item.offset}
            if item.document is None:
                report.append({**entry, "error": item.error})
                continue
            name = outputs.write(item, item.document.to_markdown(flavor=flavor))
            report.append({**entry, "name": name} if name else entry)
    finally:
        outputs.close()
    return report


def convert_bulk_files(paths, out_dir, output_format="markdown", scheduler="processes", flavor=None) -> list[dict]:
    """Converts the files on the given Dask scheduler, one task per file; one
    report entry per document, in file and document order."""
    pathlib.Path(out_dir).mkdir(parents=True, exist_ok=True)
    paths = [str(path) for path in paths]
    bag = db.from_sequence(paths, npartitions=max(1, len(paths)))
    return bag.map(convert_file, str(out_dir), output_format, flavor).flatten().compute(scheduler=scheduler)


def failures(report: list[dict]) -> Iterator[str]:
    for entry in report:
        if "error" in entry:
            where = f"document {entry['index']} at byte {entry['offset']}: " if entry["index"] else ""
            yield f"{entry['path']}: {where}{entry['error']}"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out_dir")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--format", choices=("markdown", "jsonl"), default="markdown")
    parser.add_argument("--flavor", choices=("default", "gfm"), default="default")
    parser.add_argument("--scheduler", default="processes")
    arguments = parser.parse_args()
    scheduler = arguments.scheduler
    if "://" in scheduler:
        from dask.distributed import Client

        scheduler = Client(scheduler)
    flavor = None if arguments.flavor == "default" else arguments.flavor
    report = convert_bulk_files(arguments.files, arguments.out_dir, arguments.format, scheduler, flavor)
    failed = list(failures(report))
    for line in failed:
        print(line, file=sys.stderr)
    print(f"{len(report) - len(failed)} documents converted, {len(failed)} failed", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
