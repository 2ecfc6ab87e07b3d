# Type information for the quillmark extension module. No class can be
# created from Python: a Document comes only from parse() or read_bulk(), a
# Claim only from Document.claims, a Citation only from Document.citations, a
# BulkItem only from read_bulk(), a BulkArrowStream only from read_bulk_arrow(). None can be subclassed, and all attributes
# are read-only.
"""USPTO patent full text (application and grant XML of every generation, APS
text, sequence listings) as exact structured data and readable Markdown.

    text = open("US09876543-20180123.XML", encoding="utf-8").read()
    document = quillmark.parse(text)      # .patent_number, .title, .claims ...
    markdown = quillmark.parse_to_markdown(text, flavor="gfm")

read_bulk(path) reads USPTO's weekly bulk files, archives and directories."""
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
    def publication_number(self) -> str | None:
        """An application's publication number, US, number and kind ("US20150012345A1"); None for a grant."""
    @property
    def patent_number(self) -> str | None:
        """A grant's patent number, US, number without padding zeros and kind ("US9876543B2"); None for an application."""
    @property
    def application_number(self) -> str | None:
        """The application number, series code and serial number run together ("14123456")."""
    @property
    def title(self) -> str | None:
        """The title of the invention."""
    @property
    def filing_date(self) -> str | None:
        """The date the application was filed, as written ("20150312")."""
    @property
    def publication_date(self) -> str | None:
        """The date the document was published or the patent granted, as written ("20180123")."""
    @property
    def priority_date(self) -> str | None:
        """The earliest date of the priority chain: parent, provisional, foreign and PCT applications."""
    @property
    def inventors(self) -> list[str]:
        """The inventors' names, each listed once, in source order."""
    @property
    def applicants(self) -> list[str]:
        """The applicants' names, each listed once, in source order."""
    @property
    def assignees(self) -> list[str]:
        """The assignees' names, each listed once, in source order."""
    @property
    def ipc_classifications(self) -> list[str]:
        """The IPC symbols in compact form, main first, each listed once ("G06F7/28")."""
    @property
    def us_classifications(self) -> list[str]:
        """The US classifications as CLASS/SUBCLASS, main first, each listed once ("701/41")."""
    @property
    def source_format(self) -> str:
        """The name of the source format ("UsptoGrantV45")."""
    @property
    def abstract_text(self) -> str | None:
        """The abstract as plain text; None for a document without one."""
    @property
    def claims(self) -> list[Claim]:
        """Every claim as a Claim, numbered by its position."""
    @property
    def kind(self) -> str | None:
        """The kind code printed on the publication ("B2", "A1", "S1", "E")."""
    @property
    def cpc_classifications(self) -> list[str]:
        """The CPC symbols in compact form, main first ("H04L9/0891")."""
    @property
    def citations(self) -> list[Citation]:
        """The patents and other literature the publication cites, as Citation objects."""
    @property
    def locarno_classification(self) -> str | None:
        """A design grant's Locarno class, as written ("0202"); None for other documents."""
    @property
    def us_classifications_as_written(self) -> list[str]:
        """The US classifications as the source writes them, padding kept, each listed once."""
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
    def text(self) -> str:
        """The claim's text as the publication gives it, starting with its number."""
    @property
    def number(self) -> int:
        """The claim's number: its 1-based position among the claims."""

@final
class Citation:
    """A document the publication cites: a patent (country, doc_number, kind,
name, date) or other literature (text), with who cited it (category)."""

    @property
    def country(self) -> str | None:
        """The country of the cited patent document, as written ("US", "JP")."""
    @property
    def doc_number(self) -> str | None:
        """The number of the cited patent document, as written."""
    @property
    def kind(self) -> str | None:
        """The kind code of the cited patent document, as written."""
    @property
    def name(self) -> str | None:
        """The patentee or first named party of the cited document, as written."""
    @property
    def date(self) -> str | None:
        """The date of the cited document, as written."""
    @property
    def category(self) -> str | None:
        """Who cited it, as written ("cited by examiner")."""
    @property
    def text(self) -> str | None:
        """The citation of literature other than patents, as written."""

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
