# Type information for the quillmark extension module. No class can be
# created from Python: a Document comes only from parse() or read_bulk(), a
# Claim only from Document.claims, a Citation only from Document.citations, a
# BulkItem only from read_bulk(), a BulkArrowStream only from read_bulk_arrow(). None can be subclassed, and all attributes
# are read-only.
import os
from collections.abc import Iterator, Sequence
from typing import Any, Literal, final

__all__ = ["parse", "parse_to_markdown", "detect_format", "Document", "Claim", "__version__", "Citation",
           "read_bulk", "BulkItem", "read_bulk_arrow", "BulkArrowStream"]

__version__: str

def parse(xml: str) -> Document:
    """Parse USPTO patent XML into a structured [`Document`]."""

def parse_to_markdown(xml: str, template: str | None = None, *, flavor: Literal["gfm"] | None = None) -> str:
    """Parse USPTO patent XML and render Markdown in one call."""

def detect_format(xml: str) -> str:
    """Detect the USPTO source format of `xml` without a full parse."""

@final
class Document:
    """A parsed patent document: metadata getters plus `claims`, `abstract_text`,
and `to_markdown(template=None)`."""

    @property
    def publication_number(self) -> str | None: ...
    @property
    def patent_number(self) -> str | None: ...
    @property
    def application_number(self) -> str | None: ...
    @property
    def title(self) -> str | None: ...
    @property
    def filing_date(self) -> str | None: ...
    @property
    def publication_date(self) -> str | None: ...
    @property
    def priority_date(self) -> str | None: ...
    @property
    def inventors(self) -> list[str]: ...
    @property
    def applicants(self) -> list[str]: ...
    @property
    def assignees(self) -> list[str]: ...
    @property
    def ipc_classifications(self) -> list[str]: ...
    @property
    def us_classifications(self) -> list[str]: ...
    @property
    def source_format(self) -> str: ...
    @property
    def abstract_text(self) -> str | None: ...
    @property
    def claims(self) -> list[Claim]: ...
    @property
    def kind(self) -> str | None: ...
    @property
    def cpc_classifications(self) -> list[str]: ...
    @property
    def citations(self) -> list[Citation]: ...
    @property
    def locarno_classification(self) -> str | None: ...
    def to_markdown(self, template: str | None = None, *, flavor: Literal["gfm"] | None = None) -> str:
        """Render this document to Markdown, optionally with a section-placeholder
template (`{{frontmatter}}`, `{{title}}`, `{{abstract}}`,
`{{description}}`, `{{claims}}`)."""
    def to_dict(self) -> dict[str, Any]:
        """The whole parsed record as plain Python data: every section, bibliographic
item, paragraph, heading, claim, inline node and kept XML node with its
attributes, in source order, followed by the getters' values under their
names."""

@final
class Claim:
    """A single claim, numbered by its 1-based position."""

    @property
    def text(self) -> str: ...
    @property
    def number(self) -> int: ...

@final
class Citation:
    """A document the publication cites: a patent (country, doc_number, kind,
name, date) or other literature (text), with who cited it (category)."""

    @property
    def country(self) -> str | None: ...
    @property
    def doc_number(self) -> str | None: ...
    @property
    def kind(self) -> str | None: ...
    @property
    def name(self) -> str | None: ...
    @property
    def date(self) -> str | None: ...
    @property
    def category(self) -> str | None: ...
    @property
    def text(self) -> str | None: ...

def read_bulk(
    path: str | bytes | os.PathLike[str] | os.PathLike[bytes],
    *,
    jobs: int = 1,
    max_document_size: int = 536870912,
    byte_range: tuple[int, int] | None = None,
) -> Iterator[BulkItem]:
    """Iterate over the publications of a bulk file, an archive (.zip, .tar,
.tar.gz, .tgz, .gz) or a directory of them, in file order: one `BulkItem`
per document, parsed on `jobs` threads outside the interpreter lock;
with `byte_range=(start, stop)`, only the documents of an uncompressed
file whose first byte lies in [start, stop)."""

@final
class BulkItem:
    """One publication of a bulk file: its `source` (the file, or FILE!MEMBER),
`index` (1-based within it; 0 for an error of the file or member itself),
`offset` (the byte where it starts), and the parsed `document` or the
`error` that stopped it."""

    @property
    def source(self) -> str: ...
    @property
    def index(self) -> int: ...
    @property
    def offset(self) -> int: ...
    @property
    def document(self) -> Document | None: ...
    @property
    def error(self) -> str | None: ...

def read_bulk_arrow(
    path: str | bytes | os.PathLike[str] | os.PathLike[bytes],
    *,
    markdown: str | Sequence[Literal["default", "gfm"]] = ("default", "gfm"),
    jobs: int = 1,
    batch_size: int = 1024,
    byte_range: tuple[int, int] | None = None,
    max_document_size: int = 536870912,
) -> BulkArrowStream:
    """The publications of a bulk file, an archive or a directory as Arrow record
batches of `batch_size` rows, in file order: one row per document, with
where it was found, its error, every getter and the Markdown of each
flavour in `markdown`, all made on `jobs` threads outside the interpreter
lock. The object returned implements the Arrow PyCapsule interface: read it
once with pyarrow.RecordBatchReader.from_stream(), pyarrow.table(), polars
or DuckDB."""

@final
class BulkArrowStream:
    """The publications of bulk files as Arrow record batches, in file order: read it
with pyarrow.RecordBatchReader.from_stream(), pyarrow.table(), polars or
DuckDB, once."""

    def __arrow_c_schema__(self) -> Any:
        """The schema of the record batches, as an "arrow_schema" PyCapsule."""
    def __arrow_c_stream__(self, requested_schema: Any = None) -> Any:
        """The record batches, as an "arrow_array_stream" PyCapsule; once only."""
