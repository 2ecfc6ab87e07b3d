#!/usr/bin/env python3
"""Writes a seed corpus for every fuzz target into OUT/<target>/.

The seeds are the documents under tests/data, variants of them (each
section dropped, every version marker, the application root, truncations)
and one small document per source family written here, so that each parser
starts from input it accepts. The real publications of tests/corpus (or
the folder QUILLMARK_CORPUS names) are added to the seeds of their parser,
of detection and of the whole parse path.
"""
import gzip
import hashlib
import io
import os
import pathlib
import re
import sys
import tarfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "tests" / "data"
CORPUS = pathlib.Path(os.environ.get("QUILLMARK_CORPUS") or ROOT / "tests" / "corpus")
# The corpus keeps one folder per source format.
CORPUS_TARGETS = {
    "grant_v4": "parse_grant_v4",
    "app_v4": "parse_application_v4",
    "app_v1": "parse_application_v1x",
    "grant_v25": "parse_grant_v25",
    "sequence": "parse_sequence_cwu",
    "aps": "read_aps",
}

APPLICATION_V16 = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd" [
<!ENTITY US20020000001A1-20020103-D00001.TIF SYSTEM "US20020000001A1-20020103-D00001.TIF" NDATA TIF>
]>
<patent-application-publication>
<subdoc-bibliographic-information>
<document-id><doc-number>20020000001</doc-number><kind-code>A1</kind-code><document-date>20020103</document-date></document-id>
<publication-filing-type>new-utility</publication-filing-type>
<domestic-filing-data><application-number><doc-number>09900001</doc-number></application-number>
<application-number-series-code>09</application-number-series-code><filing-date>20010706</filing-date></domestic-filing-data>
<technical-information><classification-ipc><classification-ipc-primary><ipc>A01B001/00</ipc></classification-ipc-primary></classification-ipc>
<title-of-invention>Garden tool</title-of-invention></technical-information>
<inventors><first-named-inventor><name><given-name>Ann</given-name><family-name>Lee</family-name></name>
<residence><residence-us><city>Ames</city><state>IA</state><country-code>US</country-code></residence-us></residence></first-named-inventor></inventors>
</subdoc-bibliographic-information>
<subdoc-abstract><paragraph id="A-0001" lvl="0">A tool for <bold>soil</bold>.</paragraph></subdoc-abstract>
<subdoc-description><summary-of-invention><section><heading lvl="1">SUMMARY</heading>
<paragraph id="P-0001" lvl="0"><number>[0001]</number> See <cross-reference target="DRAWINGS">FIG. 1</cross-reference>.</paragraph></section></summary-of-invention></subdoc-description>
<subdoc-claims><heading lvl="1">What is claimed is:</heading>
<claim id="CLM-00001"><claim-text>1. A tool comprising a blade.</claim-text></claim>
<claim id="CLM-00002"><claim-text>2. The tool of <dependent-claim-reference depends_on="CLM-00001">claim 1</dependent-claim-reference>.</claim-text></claim></subdoc-claims>
<subdoc-drawings id="DRAWINGS"><figure id="figure-D00001"><image id="EMI-D00001" file="US20020000001A1-20020103-D00001.TIF" imf="TIFF" ti="DR"/></figure></subdoc-drawings>
</patent-application-publication>
"""

GRANT_V25 = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE PATDOC SYSTEM "ST32-US-Grant-025xml.dtd" [
<!ENTITY US06500001-20021231-D00001.TIF SYSTEM "US06500001-20021231-D00001.TIF" NDATA TIF>
]>
<PATDOC DTD="2.5" STATUS="Build 20021210">
<SDOBI><B100><B110><DNUM><PDAT>06500001</PDAT></DNUM></B110><B130><PDAT>B1</PDAT></B130><B140><DATE><PDAT>20021231</PDAT></DATE></B140></B100>
<B200><B210><DNUM><PDAT>09/800001</PDAT></DNUM></B210><B211US><PDAT>utility</PDAT></B211US><B220><DATE><PDAT>20010305</PDAT></DATE></B220></B200>
<B500><B510><B511><PDAT>H01L 21/00</PDAT></B511></B510><B520><B521><PDAT>438</PDAT></B521></B520><B540><STEXT><PDAT>Wafer clamp</PDAT></STEXT></B540></B500>
<B700><B720><B721><PARTY-US><NAM><FNM><PDAT>Bo</PDAT></FNM><SNM><STEXT><PDAT>Kim</PDAT></STEXT></SNM></NAM><ADR><CITY><PDAT>Austin</PDAT></CITY><STATE><PDAT>TX</PDAT></STATE></ADR></PARTY-US></B721></B720>
<B730><B731><PARTY-US><NAM><ONM><STEXT><PDAT>Acme Corp.</PDAT></STEXT></ONM></NAM></PARTY-US></B731></B730></B700></SDOBI>
<SDOAB><BTEXT><PARA ID="P-00001" LVL="0"><PTEXT><PDAT>A clamp holds a </PDAT><HIL><PDAT>wafer</PDAT></HIL><PDAT>.</PDAT></PTEXT></PARA></BTEXT></SDOAB>
<SDODE><BRFSUM><H LVL="1"><STEXT><PDAT>SUMMARY</PDAT></STEXT></H><PARA ID="P-00002" LVL="0"><PTEXT><PDAT>See </PDAT><FGREF ID="DRAWINGS"><PDAT>FIG. 1</PDAT></FGREF></PTEXT></PARA></BRFSUM></SDODE>
<SDOCL><H LVL="1"><STEXT><PDAT>What is claimed is:</PDAT></STEXT></H><CL><CLM ID="CLM-00001"><PARA ID="P-00003" LVL="0"><PTEXT><PDAT>1. A clamp.</PDAT></PTEXT></PARA></CLM></CL></SDOCL>
<SDODR ID="DRAWINGS"><EMI ID="EMI-D00001" FILE="US06500001-20021231-D00001.TIF"/></SDODR>
</PATDOC>
"""

SEQUENCE = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE sequence-cwu SYSTEM "us-sequence-listing.dtd" [ ]>
<sequence-cwu id="SEQLST-0" file="US20050000001A1-20050106-SEQLST.TXT" country="US">
<publication-reference><document-id><country>US</country><doc-number>20050000001</doc-number><kind>A1</kind><date>20050106</date></document-id></publication-reference>
<number-of-sequences>1</number-of-sequences>
<sequence-list-old><![CDATA[<210> 1
<211> 12
<212> DNA
<400> 1
acgtacgtacgt                                                            12
]]></sequence-list-old>
</sequence-cwu>
"""

APS = """HHHHHT APS1.0
PATN
WKU  039305847
SRC  5
APN  4838741
APT  1
ART  353
APD  19750707
TTL  Fluid pump with a long title that continues on
      the next line
ISD  19760106
INVT
NAM  Smith; John A.
CTY  Dayton
STA  OH
ASSG
NAM  Acme Pump Company
CLAS
OCL  417410
XCL  417 15
ICL  F04B 4900
ABST
PAL  A pump moves fluid.
BSUM
PAC  BACKGROUND
PAR  Pumps are known.
TBL  col1   col2
      1      2
CLMS
NUM  1.
PAR  1. A pump comprising a rotor.
"""

TEMPLATES = [
    "{{frontmatter}}\n\n{{title}}\n\n{{abstract}}\n\n{{description}}\n\n{{claims}}\n",
    "# {{ title }}\n{{abstract}}{{abstract}}\n\n\n\n{{claims}}",
    "x }} y { z",
    "{{\ttitle\n}}{{description}}",
    "{{",
    "{{}}",
    "{{Title}}",
]


def variants(text):
    yield text
    for version in ["v4.0", "v4.1", "v4.2", "v4.3", "v4.4", "v4.6", "v4.7"]:
        yield re.sub(r'dtd-version="v4\.\d', f'dtd-version="{version}', text)
    application = (text.replace("us-patent-grant", "us-patent-application")
                   .replace("us-bibliographic-data-grant", "us-bibliographic-data-application"))
    yield application
    for section in ["abstract", "description", "claims", "drawings"]:
        yield re.sub(rf"<{section}\b.*?</{section}>", "", text, flags=re.S)
    for cut in (len(text) // 4, len(text) // 2, len(text) * 3 // 4):
        yield text[:cut]


def write(directory, texts):
    directory.mkdir(parents=True, exist_ok=True)
    for text in texts:
        data = text if isinstance(text, bytes) else text.encode("utf-8")
        (directory / hashlib.sha1(data).hexdigest()).write_bytes(data)


def archives(members):
    """A zip, a tar.gz and a gzip file of the members (name -> bytes)."""
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in members.items():
            archive.writestr(name, data)
    zipped = packed.getvalue()
    packed = io.BytesIO()
    with tarfile.open(fileobj=packed, mode="w:gz") as archive:
        for name, data in members.items():
            info = tarfile.TarInfo(name)
            info.size = len(data)
            archive.addfile(info, io.BytesIO(data))
    return [zipped, packed.getvalue(), gzip.compress(b"".join(members.values()))]


def corpus_documents():
    """(target, bytes) for every real publication in the corpus folder."""
    if not CORPUS.is_dir():
        return
    for folder in sorted(p for p in CORPUS.iterdir() if p.is_dir()):
        target = next((t for prefix, t in CORPUS_TARGETS.items() if folder.name.startswith(prefix)), None)
        if target is None:
            continue
        for path in sorted(folder.iterdir()):
            yield target, path.read_bytes()


def main(out):
    documents = [p.read_text(encoding="utf-8") for p in sorted(DATA.glob("*.xml")) + sorted(DATA.glob("*.txt"))]
    xml_v4 = [v for d in documents if "<us-patent" in d for v in variants(d)]
    family = {
        "parse_grant_v4": xml_v4,
        "parse_application_v4": xml_v4,
        "parse_application_v1x": [APPLICATION_V16, APPLICATION_V16.replace("pap-v16-2002-01-01", "pap-v15-2001-01-31")]
        + [d for d in documents if "patent-application-publication" in d],
        "parse_grant_v25": [GRANT_V25] + [d for d in documents if "<PATDOC" in d],
        "parse_sequence_cwu": [SEQUENCE] + [d for d in documents if "<sequence-cwu" in d],
        "read_aps": [APS, APS.replace("HHHHHT APS1.0\n", "")] + [d for d in documents if d.lstrip().startswith(("HHHHH", "PATN"))],
    }
    every_document = [t for texts in family.values() for t in texts]
    for target, texts in family.items():
        write(out / target, texts)
    write(out / "detect", every_document)
    write(out / "parse_to_markdown", every_document)
    write(out / "template", TEMPLATES)
    # The splitter's first byte picks the chunk size, the size limit and
    # whether zero runs go in as holes.
    xml = [d for d in every_document if d.startswith("<?xml")]
    write(out / "bulk_split", [control + "".join(xml[:3]) for control in ("\x00", "\x07", "\x47")]
          + [bytes([control]) + (xml[0] + "\0" * 300 + xml[1]).encode() for control in (0x87, 0xC7)]
          + [control + APS + APS for control in ("\x03", "\x43")])
    write(out / "read_archive", archives({"a.xml": xml[0].encode(), "b/c.TXT": APS.encode(), "d.pdf": b"%PDF"}))
    # The byte to change (none, one in the data), then the member's bytes.
    write(out / "archive_checksums", [pick + xml[0].encode() for pick in (b"\0\0\0\0", b"\x81\0\0\x40")])
    # Records of every size around the writer's file size limit.
    write(out / "write_outputs", [bytes([flag, 200, 255]) + xml[0][:200].encode() + b"\x10\x01" + b"x" * 16
                                  for flag in (0, 1)])
    real = list(corpus_documents())
    for target, data in real:
        write(out / target, [data])
    write(out / "detect", [data for _, data in real])
    write(out / "parse_to_markdown", [data for _, data in real])


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]))
