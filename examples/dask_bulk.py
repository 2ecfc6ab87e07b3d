"""Converts USPTO bulk full-text files on many processes or machines with Dask.

    python examples/dask_bulk.py OUT_DIR BULK_FILE... [--format markdown|jsonl]
                                 [--scheduler processes|threads|sync|ADDRESS]

Every bulk file becomes one Dask task that reads it in a stream, splits it
into its documents (XML documents at each XML declaration, APS patents at
each PATN line), converts each with quillmark and writes the results:

- markdown: OUT_DIR/<file stem>/<publication or patent number>.md, one per
  document (<file stem>-<n>.md for a document without a number; a number met
  twice in one file gets -2, -3, ...);
- jsonl: OUT_DIR/<file stem>.jsonl, one record per document with every
  Document getter, the claims and the Markdown.

A .zip, .tar, .tar.gz or .tgz file is read member by member as it is
decompressed, never unpacked: each .xml, .txt or .aps member (any letter
case) is split like a bulk file of its own, named FILE!MEMBER in reports and
after the member's stem in outputs; other members are passed over. A .gz
file is one member, named after the file without ".gz".

A document that fails is listed at the end (file, document number, byte
offset, message) and never stops the run, nor does a broken archive (listed
with document number 0: the document being read when it broke is lost). For a cluster, give the scheduler
address (this needs dask.distributed); the bulk files and OUT_DIR must then be
reachable under the same paths on every worker, and quillmark installed there.
"""
import argparse
import gzip
import itertools
import json
import pathlib
import re
import sys
import tarfile
import zipfile
import zlib
from typing import BinaryIO, Iterator, NamedTuple

import dask.bag as db

import quillmark

GETTERS = (
    "publication_number",
    "patent_number",
    "application_number",
    "title",
    "filing_date",
    "publication_date",
    "priority_date",
    "inventors",
    "applicants",
    "assignees",
    "ipc_classifications",
    "us_classifications",
    "source_format",
    "abstract_text",
)
CITATION_FIELDS = ("country", "doc_number", "kind", "name", "date", "category", "text")
XML_DECLARATION = re.compile(rb"<\?xml[ \t\r\n]")
UNSAFE_NAME_CHARACTERS = re.compile(r"[^A-Za-z0-9._-]")
FULL_TEXT_SUFFIXES = (".xml", ".txt", ".aps")
ARCHIVE_ERRORS = (zipfile.BadZipFile, tarfile.TarError, EOFError, zlib.error, OSError)


class Piece(NamedTuple):
    path: str  # the file, or FILE!MEMBER inside an archive
    index: int  # 1-based position in the file
    offset: int  # byte offset in the file
    data: bytes
    error: str | None = None  # why the file could not be read on
    member: str | None = None  # the archive member the document is in


def is_aps(first_line: bytes) -> bool:
    try:
        return quillmark.detect_format(first_line.decode("utf-8")) == "UsptoGrantApsGreenBook"
    except (UnicodeDecodeError, ValueError):
        return False


def is_droppable_preamble(text: bytes, aps: bool) -> bool:
    lines = text.splitlines()
    return all(not line.strip() or (aps and line.startswith(b"HHHHH")) for line in lines)


def pieces(lines: Iterator[bytes], aps: bool) -> Iterator[bytes]:
    """The texts between document boundaries; the first is what precedes the
    first boundary (often nothing)."""
    current = bytearray()
    for line in lines:
        if aps:
            if line.rstrip() == b"PATN":
                yield bytes(current)
                current = bytearray()
            current += line
            continue
        start = 0
        for match in XML_DECLARATION.finditer(line):
            current += line[start : match.start()]
            yield bytes(current)
            current = bytearray()
            start = match.start()
        current += line[start:]
    yield bytes(current)


def split_stream(path: str, source: BinaryIO, member: str | None = None) -> Iterator[Piece]:
    """Yields the documents of a bulk file (or the one of a single
    publication) while reading it line by line."""
    head = []  # up to the first non-blank line, which tells APS from XML
    for line in source:
        head.append(line)
        if line.strip():
            break
    offset = 0
    if head and head[0].startswith(b"\xef\xbb\xbf"):
        head[0] = head[0][3:]
        offset = 3
    aps = bool(head) and is_aps(head[-1])
    index = 0
    for number, data in enumerate(pieces(itertools.chain(head, source), aps)):
        if data and not (number == 0 and is_droppable_preamble(data, aps)):
            index += 1
            yield Piece(path, index, offset, data, member=member)
        offset += len(data)


def is_full_text(name: str) -> bool:
    return name.lower().endswith(FULL_TEXT_SUFFIXES)


def archive_members(path: str) -> Iterator[tuple[str, BinaryIO]]:
    """The publications in an archive, each as a stream of its decompressed
    bytes, in archive order."""
    name = path.lower()
    if name.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            for info in archive.infolist():
                if not info.is_dir() and is_full_text(info.filename):
                    with archive.open(info) as member:
                        yield info.filename, member
    elif name.endswith((".tar", ".tar.gz", ".tgz")):
        with tarfile.open(path, "r:*") as archive:
            for info in archive:
                if info.isfile() and is_full_text(info.name):
                    yield info.name, archive.extractfile(info)
            # tarfile takes a cut-off end for the end of the archive; the
            # compressed stream does not.
            while archive.fileobj.read(1 << 20):
                pass
    else:
        with gzip.open(path, "rb") as member:
            yield pathlib.Path(path).name[:-3], member


def split_documents(path: str) -> Iterator[Piece]:
    """Yields the documents of a bulk file or of every publication in an
    archive; a broken archive ends with a piece that carries its error."""
    if not path.lower().endswith((".zip", ".tar", ".tgz", ".gz")):
        with open(path, "rb") as source:
            yield from split_stream(path, source)
        return
    where = path
    try:
        for member, stream in archive_members(path):
            where = f"{path}!{member}"
            yield from split_stream(where, stream, member)
            where = path
    except ARCHIVE_ERRORS as error:
        yield Piece(where, 0, 0, b"", str(error) or type(error).__name__)


def convert(piece: Piece, output_format: str) -> dict:
    """The conversion of one document, or its failure."""
    outcome = {"path": piece.path, "index": piece.index, "offset": piece.offset}
    if piece.member is not None:
        outcome["member"] = piece.member
    if piece.error is not None:
        return {**outcome, "error": piece.error}
    try:
        text = piece.data.decode("utf-8")
    except UnicodeDecodeError as error:
        return {**outcome, "error": f"invalid UTF-8 at byte {error.start} of the document"}
    try:
        document = quillmark.parse(text)
        markdown = document.to_markdown()
    except ValueError as error:
        return {**outcome, "error": str(error)}
    if output_format == "markdown":
        return {**outcome, "number": document.publication_number or document.patent_number, "markdown": markdown}
    record = {name: getattr(document, name) for name in GETTERS}
    record["claims"] = [{"number": claim.number, "text": claim.text} for claim in document.claims]
    record["kind"] = document.kind
    record["cpc_classifications"] = document.cpc_classifications
    record["citations"] = [{field: getattr(citation, field) for field in CITATION_FIELDS} for citation in document.citations]
    record["locarno_classification"] = document.locarno_classification
    record["markdown"] = markdown
    return {**outcome, "record": record}


def safe_stem(text: str) -> str:
    stem = UNSAFE_NAME_CHARACTERS.sub("_", text[:200])
    return "_" + stem[1:] if stem.startswith(".") else stem


def write_outputs(outcomes: Iterator[dict], out_dir: str, output_format: str) -> list[dict]:
    """Writes the converted documents of one partition (whole bulk files, in
    order) and returns what happened to each document, without its text."""
    report = []
    taken: dict[str, set[str]] = {}
    lines_file = None
    lines_path = None
    try:
        for outcome in outcomes:
            stem = safe_stem(pathlib.PurePath(outcome.pop("member", None) or outcome["path"]).stem)
            if "error" in outcome:
                report.append(outcome)
                continue
            if output_format == "jsonl":
                if lines_path != outcome["path"]:
                    if lines_file:
                        lines_file.close()
                    lines_path = outcome["path"]
                    lines_file = open(pathlib.Path(out_dir) / f"{stem}.jsonl", "w", encoding="utf-8")
                lines_file.write(json.dumps(outcome.pop("record"), ensure_ascii=False) + "\n")
            else:
                names = taken.setdefault(outcome["path"], set())
                base = safe_stem(outcome.pop("number") or f"{stem}-{outcome['index']}")
                name, suffix = base, 2
                while name.lower() in names:
                    name, suffix = f"{base}-{suffix}", suffix + 1
                names.add(name.lower())
                directory = pathlib.Path(out_dir) / stem
                directory.mkdir(parents=True, exist_ok=True)
                (directory / f"{name}.md").write_text(outcome.pop("markdown") + "\n", encoding="utf-8")
                outcome["name"] = f"{stem}/{name}.md"
            report.append(outcome)
    finally:
        if lines_file:
            lines_file.close()
    return report


def convert_bulk_files(paths, out_dir, output_format="markdown", scheduler="processes") -> list[dict]:
    """Converts the files on the given Dask scheduler; one report entry per
    document, in file and document order, with "error" for those that failed."""
    pathlib.Path(out_dir).mkdir(parents=True, exist_ok=True)
    paths = [str(path) for path in paths]
    bag = db.from_sequence(paths, npartitions=max(1, len(paths)))
    outcomes = bag.map(split_documents).flatten().map(convert, output_format)
    return outcomes.map_partitions(write_outputs, str(out_dir), output_format).compute(scheduler=scheduler)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out_dir")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--format", choices=("markdown", "jsonl"), default="markdown")
    parser.add_argument("--scheduler", default="processes")
    arguments = parser.parse_args()
    scheduler = arguments.scheduler
    if "://" in scheduler:
        from dask.distributed import Client

        scheduler = Client(scheduler)
    report = convert_bulk_files(arguments.files, arguments.out_dir, arguments.format, scheduler)
    failures = [entry for entry in report if "error" in entry]
    for entry in failures:
        where = f"document {entry['index']} at byte {entry['offset']}: " if entry["index"] else ""
        print(f"{entry['path']}: {where}{entry['error']}", file=sys.stderr)
    print(f"{len(report) - len(failures)} documents converted, {len(failures)} failed", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
