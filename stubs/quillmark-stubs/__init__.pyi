# Type information for the quillmark extension module. Neither class can be
# created from Python: a Document comes only from parse(), a Claim only from
# Document.claims. Neither can be subclassed, and all attributes are
# read-only.
from typing import final

__all__ = ["parse", "parse_to_markdown", "detect_format", "Document", "Claim", "__version__"]

__version__: str

def parse(xml: str) -> Document:
    """Parse USPTO patent XML into a structured [`Document`]."""

def parse_to_markdown(xml: str, template: str | None = None) -> str:
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
    def to_markdown(self, template: str | None = None) -> str:
        """Render this document to Markdown, optionally with a section-placeholder
template (`{{frontmatter}}`, `{{title}}`, `{{abstract}}`,
`{{description}}`, `{{claims}}`)."""

@final
class Claim:
    """A single claim, numbered by its 1-based position."""

    @property
    def text(self) -> str: ...
    @property
    def number(self) -> int: ...
