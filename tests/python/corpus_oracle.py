"""Facts of real USPTO publications, read straight from their sources.

This is the corpus tests' own reading of each publication: XML through lxml
(no DTD, no network, no entity expansion by the library) and APS text through a
small record splitter of its own. It knows nothing of the module under test, so
the tests compare two independent readings of the same document.

Character entities are replaced before the XML is parsed: each `&name;` that is
not one of XML's five predefined ones becomes the character(s) it stands for
(a few become ASCII, see `ASCII_ENTITIES`), and a name that no table knows is
kept as written ("&name;" as text).
"""
from __future__ import annotations

import bisect
import html.entities
import pathlib
import re
import unicodedata
from dataclasses import dataclass, field

from lxml import etree

from corpus_location import CORPUS, ROOT, require_corpus

# ISO 8879's Greek letters (ISOgrk1), which html.entities lacks.
GREEK_TABLE = ROOT / "tests" / "data" / "entities" / "isogrk1.tsv"

# Source format reported for every document of a corpus folder.
FOLDER_FORMATS = {
    "app_v15": "UsptoApplicationV15",
    "app_v16": "UsptoApplicationV16",
    **{f"app_v4{n}": f"UsptoApplicationV4{n}" for n in range(7)},
    "grant_v25": "UsptoGrantV25",
    **{f"grant_v4{n}": f"UsptoGrantV4{n}" for n in range(8)},
    "aps": "UsptoGrantApsGreenBook",
    "sequence": "UsptoSequenceCwu",
}

# Published malformed (a start tag is missing): must be refused.
MALFORMED = {"grant_v41/US07057742-20060606.xml"}

# Entities written as plain ASCII rather than as their own characters.
ASCII_ENTITIES = {
    "lsqb": "[", "rsqb": "]", "ldquo": '"', "rdquo": '"', "lsquo": "'",
    "rsquo": "'", "mdash": "-", "ndash": "-", "apos": "'", "quot": '"',
    "amp": "&", "lt": "<", "gt": ">", "Prime": '"', "prime": "'",
    "equals": "=", "deg": " deg",
}
XML_PREDEFINED = {"amp", "lt", "gt", "quot", "apos"}


def corpus_files() -> list[str]:
    """Every document of the corpus as "folder/file", sorted."""
    return sorted(
        f"{path.parent.name}/{path.name}"
        for path in require_corpus().glob("*/*")
        if path.is_file() and path.parent.name in FOLDER_FORMATS
    )


def read_source(name: str) -> str:
    """The publication's text exactly as stored (line endings included)."""
    return (CORPUS / name).read_bytes().decode("utf-8")


# ---------------------------------------------------------------- entities

def _greek() -> dict[str, str]:
    table = {}
    for line in GREEK_TABLE.read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, code_point, _ = line.split("\t")
        table[name] = chr(int(code_point.removeprefix("U+"), 16))
    return table


_GREEK: dict[str, str] | None = None


def entity_text(name: str) -> str | None:
    """What `&name;` stands for, or None when no table knows the name."""
    global _GREEK
    if name in ASCII_ENTITIES:
        return ASCII_ENTITIES[name]
    if name + ";" in html.entities.html5:
        return html.entities.html5[name + ";"]
    if _GREEK is None:
        _GREEK = _greek()
    return _GREEK.get(name)


_REFERENCE = re.compile(r"&([A-Za-z][A-Za-z0-9._-]*);")
_CDATA = re.compile(r"(<!\[CDATA\[.*?\]\]>)", re.S)


def _reference(match: re.Match) -> str:
    name = match.group(1)
    if name in XML_PREDEFINED:
        return match.group(0)
    text = entity_text(name)
    if text is None:
        return "&amp;" + name + ";"
    return "".join(f"&#x{ord(char):X};" for char in text)


def replace_entities(source: str) -> str:
    """The XML text with every named reference written as character references."""
    pieces = _CDATA.split(source)
    return "".join(
        piece if piece.startswith("<![CDATA[") else _REFERENCE.sub(_reference, piece)
        for piece in pieces
    )


def decode_text(text: str) -> str:
    """Named references in plain text (APS) replaced like those of the XML."""
    def one(match: re.Match) -> str:
        replacement = entity_text(match.group(1))
        return match.group(0) if replacement is None else replacement
    return _REFERENCE.sub(one, text)


_PARSER = etree.XMLParser(
    resolve_entities=False, load_dtd=False, no_network=True, huge_tree=True,
    remove_comments=False,
)


def parse_xml(source: str) -> etree._Element:
    """The root element; raises `etree.XMLSyntaxError` on malformed XML."""
    return etree.fromstring(replace_entities(source).encode("utf-8"), _PARSER)


# ---------------------------------------------------------------- words

_RUN = re.compile(r"[^\W_]+")
_TAG = re.compile(r"<!--.*?-->|<\?.*?\?>|</?[A-Za-z_][\w.:-]*(?:\s[^<>]*)?/?>", re.S)
MIN_WORD = 3


def nfc(text: str) -> str:
    return unicodedata.normalize("NFC", text)


def runs(text: str) -> set[str]:
    return {nfc(run) for run in _RUN.findall(text)}


def markdown_words(markdown: str) -> set[str]:
    """Alphanumeric runs of the Markdown, also read with kept tags and emphasis
    markers taken out (so "H<sub>2</sub>O" and "**a**b" read as one word too)."""
    untagged = _TAG.sub("", markdown)
    return runs(markdown) | runs(untagged) | runs(untagged.replace("*", ""))


@dataclass
class SourceText:
    """Text gathered from source elements, with the offsets where an element
    starts or ends: a word that spans such an offset was joined by markup."""
    parts: list[str] = field(default_factory=list)
    bounds: set[int] = field(default_factory=set)
    size: int = 0

    def add(self, text: str | None) -> None:
        if text:
            self.parts.append(text)
            self.size += len(text)

    def bound(self) -> None:
        self.bounds.add(self.size)

    def element(self, element) -> None:
        self.bound()
        if isinstance(element.tag, str):
            self.add(element.text)
            for child in element:
                self.element(child)
                self.add(child.tail)
        self.bound()

    def separate(self) -> None:
        self.add("\n")

    def words(self) -> dict[str, list[str]]:
        """Each word (run of >= 3 letters or digits) with the pieces that markup
        boundaries cut it into (the word itself when no boundary falls inside)."""
        text = "".join(self.parts)
        bounds = sorted(self.bounds)
        found: dict[str, list[str]] = {}
        for match in _RUN.finditer(text):
            start, end = match.span()
            if end - start < MIN_WORD:
                continue
            word = nfc(match.group())
            if word in found:
                continue
            inside = bounds[bisect.bisect_right(bounds, start):bisect.bisect_left(bounds, end)]
            cuts = [start] + inside + [end]
            found[word] = [nfc(text[a:b]) for a, b in zip(cuts, cuts[1:])]
        return found


def missing_words(source_words: dict[str, list[str]], markdown: str) -> list[str]:
    """Source words that the Markdown lacks, whole or piecewise."""
    present = markdown_words(nfc(markdown))
    return sorted(
        word for word, pieces in source_words.items()
        if word not in present
        and not all(piece in present for piece in pieces if len(piece) >= MIN_WORD)
    )


# ---------------------------------------------------------------- facts

@dataclass
class Facts:
    """What the source says, as the module should report it."""
    source_format: str
    words: dict[str, list[str]]
    claim_count: int = 0
    title: str | None = None
    inventors: list[str] = field(default_factory=list)
    applicants: list[str] = field(default_factory=list)
    assignees: list[str] = field(default_factory=list)
    publication_number: str | None = None
    patent_number: str | None = None
    publication_date: str | None = None
    application_number: str | None = None
    filing_date: str | None = None
    priority_date: str | None = None
    ipc_classifications: list[str] = field(default_factory=list)
    us_classifications: list[str] = field(default_factory=list)
    us_classifications_as_written: list[str] = field(default_factory=list)
    kind: str | None = None
    locarno_classification: str | None = None
    first_claim: str | None = None
    abstract: str | None = None


def text_of(element) -> str:
    """All character data below an element, trimmed (comments left out)."""
    if element is None:
        return ""
    return _plain(element).strip()


def _plain(element) -> str:
    if not isinstance(element.tag, str):
        return ""
    out = [element.text or ""]
    for child in element:
        out.append(_plain(child))
        out.append(child.tail or "")
    return "".join(out)


def squeeze(text: str | None) -> str | None:
    """White-space runs collapsed to one space, trimmed."""
    if text is None:
        return None
    return " ".join(text.split())


def distinct(names) -> list[str]:
    seen: list[str] = []
    for name in names:
        if name and name not in seen:
            seen.append(name)
    return seen


def join_names(*parts: str | None) -> str:
    return " ".join(part for part in parts if part)


def earliest(dates) -> str | None:
    dates = [date for date in dates if date]
    return min(dates) if dates else None


def strip_zeros(number: str) -> str:
    """Leading zeros of the digits dropped, also after a letter prefix."""
    match = re.fullmatch(r"([A-Za-z]*)0*(\d+)", number)
    if not match:
        return number
    return match.group(1) + (match.group(2).lstrip("0") or "0")


def numbers(country: str | None, number: str, kind: str | None) -> tuple[str | None, str | None]:
    """(publication_number, patent_number) of a publication reference."""
    kind = kind or ""
    country = country or "US"
    if kind[:1] in ("B", "E", "S", "H") or kind in ("A", "P", "P2", "P3"):
        return None, country + strip_zeros(number) + kind
    return country + number + kind, None


def reference_facts(reference, country: str, number: str, kind: str, date: str) -> dict:
    """publication_number, patent_number and publication_date of a document-id."""
    if reference is None:
        return {}
    publication_number, patent_number = numbers(
        first_text(reference, country), first_text(reference, number) or "", first_text(reference, kind))
    return {"publication_number": publication_number, "patent_number": patent_number,
            "publication_date": first_text(reference, date), "kind": first_text(reference, kind)}


def first_text(element, path: str) -> str | None:
    found = element.find(path) if element is not None else None
    text = text_of(found) if found is not None else ""
    return text or None


def all_texts(element, path: str) -> list[str]:
    if element is None:
        return []
    return [text for text in (text_of(found) for found in element.findall(path)) if text]


def padded_texts(element, path: str) -> list[str]:
    """Like `all_texts`, but keeping the spaces in front of each text."""
    if element is None:
        return []
    return [text for text in (_plain(found).rstrip() for found in element.findall(path)) if text.strip()]


def application_number(number: str | None, series: str | None) -> str | None:
    if number is None:
        return None
    if number.isascii() and number.isdigit() and len(number) < 8 and series \
            and series.isascii() and series.isdigit():
        return series + number
    return number


_IPC = re.compile(r"\d{0,2}\s*([A-H]\d\d[A-Z])(?:\s*0*(\d{1,4})\s*/\s*(\d{2,6})|(.{3})(\d{2,6}))")


def compact_ipc(symbol: str) -> str:
    """An IPC symbol as "G06F7/28", from any generation's spelling of it
    (fixed columns "G06F  728", padded "G06F007/28", "G06F 7/28"); a text of
    no such form with its white space squeezed."""
    match = _IPC.fullmatch(symbol.strip())
    if match:
        subclass, main, subgroup, columns, rest = match.groups()
        if columns is not None:
            main, subgroup = columns.strip().lstrip("0"), rest
        else:
            main = main.lstrip("0")
        if re.fullmatch(r"[1-9]\d{0,3}", main or ""):
            return f"{subclass}{main}/{subgroup}"
    return squeeze(symbol) or ""


# A US class in its fixed-width layout: class in columns 1-3 (right-justified,
# a design's "D 2", " D2", "D02", or "PLT"), the subclass's whole number in
# columns 4-6 ("E5", "DIG", "FOR" too), then decimals and letters.
_US_CLASS = re.compile(r" *0*(?P<n>[1-9]\d*)| ?D[ 0]?(?P<d>[1-9]\d?)|(?P<p>PLT|Plt)", re.A)
_US_WHOLE = re.compile(r" *(?P<e>E?) *0*(?P<n>[1-9]\d*)|(?P<c>DIG|FOR)", re.A)
_US_EXTENSION = re.compile(r"(?:\.(?=\d))?(?P<decimals>\d*)(?P<letters>[A-Z]*)", re.A)


def _us_subclass(columns: str) -> str | None:
    whole = _US_WHOLE.fullmatch(columns[:3])
    if whole is None:
        return None
    if whole["c"]:
        number = re.fullmatch(r" *0*([1-9]\d*)", columns[3:], re.A)
        return number and f"{whole['c']} {number[1]}"
    extension = _US_EXTENSION.fullmatch(columns[3:].replace(" ", ""))
    if extension is None:
        return None
    decimals = extension["decimals"].rstrip("0")
    return whole["e"] + whole["n"] + ("." + decimals if decimals else "") + extension["letters"]


def us_class(written: str) -> str:
    """A US class as CLASS/SUBCLASS ("2/161A", "D2/946", "430/495.1"), from
    the columns the source writes it in; a value those columns do not hold
    with its white space squeezed."""
    value = written.rstrip()
    padding = value[:len(value) - len(value.lstrip())]
    if padding.strip(" "):
        value = value.lstrip()
    if value.strip().isascii() and value.strip().isdigit() and len(value) < 6:
        value = value.strip().rjust(6)
    first, dash, last = value.partition("-")
    form = None
    if len(first) >= 6 and (class_ := _US_CLASS.fullmatch(first[:3])):
        name = class_["n"] or (class_["d"] and "D" + class_["d"]) or "PLT"
        subclass = _us_subclass(first[3:])
        if subclass and dash:
            end = _us_subclass(last) if len(last) >= 3 else None
            subclass = end and f"{subclass}-{end}"
        form = subclass and f"{name}/{subclass}"
    return form or squeeze(written) or ""


def is_locarno(text: str) -> bool:
    return re.fullmatch(r"\d\d-?\d\d", text.strip()) is not None


def claim_texts(claims) -> list[str]:
    texts = [text_of(claim) for claim in claims]
    return [text for text in texts if text]


def paragraphs_text(elements) -> str | None:
    texts = [text_of(element) for element in elements]
    texts = [text for text in texts if text]
    return "\n\n".join(texts) if texts else None


def gather(elements) -> SourceText:
    text = SourceText()
    for element in elements:
        if element is not None:
            text.element(element)
            text.separate()
    return text


# v4.x -----------------------------------------------------------------------

def v4_name(party) -> str:
    book = party.find("addressbook")
    if book is None:
        book = party
    organisation = first_text(book, "orgname") or first_text(book, "name")
    if organisation:
        return organisation
    return join_names(*(first_text(book, part)
                        for part in ("first-name", "middle-name", "last-name", "suffix")))


def v4_facts(root, source_format: str) -> Facts:
    bib = next((child for child in root
                if child.tag in ("us-bibliographic-data-grant", "us-bibliographic-data-application")),
               None)
    parties = [] if bib is None else [
        child for child in bib if child.tag in ("parties", "us-parties")]
    inventors, applicants = [], []
    for group in parties:
        for element in group.iter():
            parent = element.getparent()
            if element.tag == "inventor" and parent.tag == "inventors" and parent.getparent() is group:
                inventors.append(v4_name(element))
            elif element.tag in ("applicant", "us-applicant") and parent.getparent() is group \
                    and parent.tag in ("applicants", "us-applicants"):
                applicants.append(v4_name(element))
                if element.get("app-type") == "applicant-inventor":
                    inventors.append(v4_name(element))
    assignees = []
    if bib is not None:
        for child in bib:
            if child.tag == "assignees":
                assignees += [v4_name(a) for a in child.findall("assignee")]
            elif child.tag in ("parties", "us-parties"):
                assignees += [v4_name(a) for a in child.findall("assignees/assignee")]

    reference = bib.find("publication-reference/document-id") if bib is not None else None
    application = bib.find("application-reference/document-id") if bib is not None else None
    ipc, national, priority = [], [], []
    if bib is not None:
        for child in bib:
            if child.tag == "classification-ipc":
                ipc += [compact_ipc(text) for text in
                        all_texts(child, "main-classification") + all_texts(child, "further-classification")]
            elif child.tag == "classifications-ipcr":
                for item in child.findall("classification-ipcr"):
                    parts = [first_text(item, p) for p in ("section", "class", "subclass", "main-group", "subgroup")]
                    if all(parts):
                        ipc.append("".join(parts[:4]) + "/" + parts[4])
            elif child.tag == "classification-national":
                national += padded_texts(child, "main-classification") + padded_texts(child, "further-classification")
        for relation in ("continuation", "continuation-in-part", "division"):
            priority += all_texts(bib, f"us-related-documents/{relation}/relation/parent-doc/document-id/date")
        priority += all_texts(bib, "us-related-documents/us-provisional-application/document-id/date")
        priority += all_texts(bib, "priority-claims/priority-claim/date")

    words = gather([bib.find("invention-title") if bib is not None else None]
                   + [child for child in root if child.tag in ("abstract", "description", "claims")])
    claims = claim_texts(root.findall("claims/claim"))
    return Facts(
        source_format=source_format,
        words=words.words(),
        claim_count=len(claims),
        title=first_text(bib, "invention-title"),
        inventors=distinct(inventors),
        applicants=distinct(applicants),
        assignees=distinct(assignees),
        **reference_facts(reference, "country", "doc-number", "kind", "date"),
        application_number=application_number(
            first_text(application, "doc-number"), first_text(bib, "us-application-series-code")),
        filing_date=first_text(application, "date"),
        priority_date=earliest(priority),
        ipc_classifications=distinct(ipc),
        us_classifications=distinct(us_class(text) for text in national),
        us_classifications_as_written=distinct(national),
        locarno_classification=first_text(bib, "classification-locarno/main-classification"),
        first_claim=claims[0] if claims else None,
        abstract=paragraphs_text(root.findall("abstract/p")),
    )


# v1.5 / v1.6 ------------------------------------------------------------------

def v1_name(name) -> str:
    if name is None:
        return ""
    return join_names(*(first_text(name, part)
                        for part in ("given-name", "middle-name", "family-name", "name-suffix")))


def v1_facts(root, source_format: str) -> Facts:
    bib = root.find("subdoc-bibliographic-information")
    inventors = [v1_name(person.find("name")) for person in bib.findall("inventors/*")
                 if person.tag in ("first-named-inventor", "inventor")]
    assignees = [first_text(a, "organization-name") or v1_name(a.find("name")) or v1_name(a)
                 for a in bib.findall("assignee")]
    filing = bib.find("domestic-filing-data")
    technical = bib.find("technical-information")
    ipc = [compact_ipc(text) for text in
           all_texts(technical, "classification-ipc/classification-ipc-primary/ipc")
           + all_texts(technical, "classification-ipc/classification-ipc-secondary/ipc")]
    national = [
        (first_text(uspc, "class") or "").rjust(3) + (first_text(uspc, "subclass") or "")
        for path in ("classification-us/classification-us-primary/uspc",
                     "classification-us/classification-us-secondary/uspc")
        for uspc in (technical.findall(path) if technical is not None else [])
        if first_text(uspc, "class") or first_text(uspc, "subclass")
    ]
    priority = all_texts(bib, "continuity-data//parent/document-id/document-date") + \
        all_texts(bib, "continuity-data//non-provisional-of-provisional/document-id/document-date") + \
        all_texts(bib, "foreign-priority-data/filing-date")
    words = gather([technical.find("title-of-invention") if technical is not None else None]
                   + [child for child in root
                      if child.tag in ("subdoc-abstract", "subdoc-description", "subdoc-claims")])
    claims = claim_texts(root.findall("subdoc-claims/claim"))
    return Facts(
        source_format=source_format,
        words=words.words(),
        claim_count=len(claims),
        title=first_text(technical, "title-of-invention"),
        inventors=distinct(inventors),
        assignees=distinct(assignees),
        **reference_facts(bib.find("document-id"), "country-code", "doc-number", "kind-code", "document-date"),
        application_number=application_number(
            first_text(filing, "application-number/doc-number"),
            first_text(filing, "application-number-series-code")),
        filing_date=first_text(filing, "filing-date"),
        priority_date=earliest(priority),
        ipc_classifications=distinct(ipc),
        us_classifications=distinct(us_class(text) for text in national),
        us_classifications_as_written=distinct(national),
        first_claim=claims[0] if claims else None,
        abstract=paragraphs_text(root.findall("subdoc-abstract/paragraph")),
    )


# v2.5 -----------------------------------------------------------------------

def v25_name(party) -> str:
    name = party.find("PARTY-US/NAM")
    if name is None:
        return ""
    return first_text(name, "ONM") or join_names(
        first_text(name, "FNM"), first_text(name, "SNM"), first_text(name, "SFX"))


def v25_facts(root, source_format: str) -> Facts:
    bib = root.find("SDOBI")
    inventors = []
    for party in bib.findall("B700/B720/B721"):
        name = v25_name(party)
        if not name:
            break
        inventors.append(name)
    assignees = [v25_name(party) for party in bib.findall("B700/B730/B731")]
    publication_number, patent_number = numbers(
        first_text(bib, "B100/B190"), first_text(bib, "B100/B110/DNUM") or "",
        first_text(bib, "B100/B130"))
    number = first_text(bib, "B200/B210/DNUM")
    classes = all_texts(bib, "B500/B510/B511") + all_texts(bib, "B500/B510/B512")
    national = padded_texts(bib, "B500/B520/B521/PDAT") + padded_texts(bib, "B500/B520/B522/PDAT")
    priority = all_texts(bib, "B600/B620//PDOC/DOC/DATE") + all_texts(bib, "B600/B630/*//PDOC/DOC/DATE") + \
        all_texts(bib, "B600/B680US/DOC/DATE") + all_texts(bib, "B300/B320/DATE")
    words = gather([bib.find("B500/B540")]
                   + [child for child in root if child.tag in ("SDOAB", "SDODE", "SDOCL")])
    claims = claim_texts(root.findall("SDOCL/CLM") + root.findall("SDOCL/CL/CLM"))
    abstract = root.find("SDOAB")
    return Facts(
        source_format=source_format,
        words=words.words(),
        claim_count=len(claims),
        title=first_text(bib, "B500/B540"),
        inventors=distinct(inventors),
        applicants=distinct(inventors),
        assignees=distinct(assignees),
        publication_number=publication_number,
        patent_number=patent_number,
        publication_date=first_text(bib, "B100/B140"),
        application_number=number,
        filing_date=first_text(bib, "B200/B220"),
        priority_date=earliest(priority),
        kind=first_text(bib, "B100/B130"),
        ipc_classifications=distinct(compact_ipc(text) for text in classes if not is_locarno(text)),
        locarno_classification=next((text for text in classes if is_locarno(text)), None),
        us_classifications=distinct(us_class(text) for text in national),
        us_classifications_as_written=distinct(national),
        first_claim=claims[0] if claims else None,
        abstract=paragraphs_text(abstract.iter("PARA")) if abstract is not None else None,
    )


# sequence listings --------------------------------------------------------------

def sequence_facts(root, source_format: str) -> Facts:
    words = gather([child for child in root if child.tag != "publication-reference"])
    return Facts(source_format=source_format, words=words.words(),
                 **reference_facts(root.find("publication-reference/document-id"),
                                   "country", "doc-number", "kind", "date"))


# APS text -------------------------------------------------------------------------

APS_SEGMENTS = {
    "PATN", "INVT", "ASSG", "PRIR", "REIS", "RLAP", "PARN", "CLAS", "UREF", "FREF",
    "OREF", "LREP", "PCTA", "ABST", "GOVT", "BSUM", "DRWD", "DETD", "CLMS", "DCLM",
}


@dataclass
class ApsRecord:
    segment: str
    group: int      # counts segment lines, so repeated segments stay apart
    code: str
    value: str
    padded: str     # the value with the spaces in front of it


def aps_records(text: str) -> list[ApsRecord]:
    """Tagged records: a four-character code, the value from the sixth column,
    continuation lines (leading space) appended with one space."""
    records: list[ApsRecord] = []
    segment, group, started = "PATN", 0, False
    for line in text.split("\n"):
        line = line.removesuffix("\r")
        stripped = line.strip()
        if not started:
            if not stripped or stripped.startswith("HHHHH") or stripped == "PATN":
                continue
            started = True
        if not stripped:
            continue
        if line.startswith(" "):
            if records:
                extra = line[5:].strip()
                record = records[-1]
                record.value = f"{record.value} {extra}" if record.value else extra
            continue
        code = line[:4].rstrip()
        if code in APS_SEGMENTS:
            segment, group = code, group + 1
            continue
        records.append(ApsRecord(segment, group, code, line[5:].strip(), line[5:].rstrip()))
    return records


def aps_field(records, segment: str, code: str) -> str | None:
    for record in records:
        if record.segment == segment and record.code == code:
            return record.value or None
    return None


def aps_person(value: str) -> str:
    family, _, given = value.partition(";")
    return join_names(given.strip(), family.strip())


def aps_kind(prefix: str, issued: str) -> str | None:
    """The kind code printed on a patent of that number prefix, issued then:
    the codes changed on 2 January 2001."""
    if prefix == "T":
        return None
    before = not re.fullmatch(r"\d{8}", issued) or issued < "20010102"
    kinds = {"": ("A", "B1"), "D": ("S", "S"), "RE": ("E", "E"), "RD": ("E", "E"),
             "P": ("P", "P2"), "PP": ("P", "P2")}
    if prefix.startswith("H"):
        return "H"
    return kinds.get(prefix, ("A", "B1"))[0 if before else 1]


def aps_facts(text: str, source_format: str) -> Facts:
    records = aps_records(decode_text(text))

    wku = (aps_field(records, "PATN", "WKU") or "").strip()
    prefix = re.match(r"[A-Za-z]*", wku).group()
    rest = wku[len(prefix):]
    if len(rest) >= 2:
        rest = rest[:-1]
    digits = "".join(c for c in rest if c.isascii() and c.isdigit()).lstrip("0") or "0"
    issued = aps_field(records, "PATN", "ISD") or ""
    kind = aps_kind(prefix, issued)
    number = prefix + digits

    # Series code and serial number; the APN's seventh character checks it.
    apn = (aps_field(records, "PATN", "APN") or "").strip()
    series = (aps_field(records, "PATN", "SRC") or "").strip()
    series = "29" if kind == "S" or series == "D" else series.zfill(2) if series else ""
    application = series + apn[:6] if re.fullmatch(r"\d{6}.", apn) else apn or None

    inventors = [aps_person(r.value) for r in records if r.segment == "INVT" and r.code == "NAM"]
    assignees = [r.value for r in records if r.segment == "ASSG" and r.code == "NAM"]
    national = [r.padded for code in ("OCL", "XCL") for r in records
                if r.segment == "CLAS" and r.code == code and r.value.strip()]
    classes = [r.value for r in records if r.segment == "CLAS" and r.code == "ICL" and r.value.strip()]
    # Filing dates of the foreign applications and of the parent applications.
    priority = [r.value for r in records if r.segment in ("PRIR", "RLAP") and r.code == "APD"]

    claims, current = [], None
    for record in records:
        if record.segment != "CLMS" or record.code == "STM":
            continue
        if record.code == "NUM":
            if current:
                claims.append(" ".join(current))
            current = []
        elif record.value:
            current = (current or []) + [record.value]
    if current:
        claims.append(" ".join(current))
    design = [r.value for r in records if r.segment == "DCLM" and r.value]
    if design:
        claims.append(" ".join(design))

    # The claims statement ("What is claimed is:") is a heading, not a claim.
    body = [r.value for r in records
            if r.segment in ("ABST", "PARN", "BSUM", "DRWD", "DETD", "DCLM")
            or (r.segment == "CLMS" and r.code != "STM")]
    title = aps_field(records, "PATN", "TTL")
    words = SourceText()
    for value in [title or ""] + body:
        words.bound()
        words.add(value)
        words.separate()
    abstract = [r.value for r in records if r.segment == "ABST" and r.value]
    claim_count = aps_field(records, "PATN", "NCL")
    return Facts(
        source_format=source_format,
        words=words.words(),
        claim_count=int(claim_count) if claim_count else len(claims),
        title=title.strip() if title and title.strip() else None,
        inventors=distinct(inventors),
        assignees=distinct(assignees),
        **dict(zip(("publication_number", "patent_number"), numbers("US", number, kind))),
        publication_date=aps_field(records, "PATN", "ISD"),
        application_number=application,
        filing_date=aps_field(records, "PATN", "APD"),
        priority_date=earliest(priority),
        kind=kind,
        ipc_classifications=distinct(compact_ipc(text) for text in classes if not is_locarno(text)),
        locarno_classification=next((text for text in classes if is_locarno(text)), None),
        us_classifications=distinct(us_class(text) for text in national),
        us_classifications_as_written=distinct(national),
        first_claim=claims[0] if claims else None,
        abstract="\n\n".join(abstract) if abstract else None,
    )


# ---------------------------------------------------------------- entry

_READERS = {
    "patent-application-publication": v1_facts,
    "PATDOC": v25_facts,
    "us-patent-grant": v4_facts,
    "us-patent-application": v4_facts,
    "sequence-cwu": sequence_facts,
}


def source_facts(name: str, source: str | None = None) -> Facts:
    """The facts of corpus document `name` ("folder/file")."""
    source = read_source(name) if source is None else source
    source_format = FOLDER_FORMATS[name.split("/")[0]]
    if source_format == "UsptoGrantApsGreenBook":
        return aps_facts(source, source_format)
    root = parse_xml(source)
    return _READERS[root.tag](root, source_format)
