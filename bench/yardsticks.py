"""What quillmark is measured against: the bare libxml2 parse of the same
bytes, and a plain Python text extraction with lxml."""

import ctypes

from lxml import etree

XML_PARSE_NONET = 1 << 11
XML_PARSE_IGNORE_ENC = 1 << 21


# xmlSAXHandler as libxml2 2.9 and later lay it out: 27 callbacks of the
# SAX1 era, the SAX2 mark, then the SAX2 fields.
SAX1_CALLBACKS = 27
XML_SAX2_MAGIC = 0xDEEDBEAF


class SaxHandler(ctypes.Structure):
    _fields_ = ([("callback%d" % i, ctypes.c_void_p) for i in range(SAX1_CALLBACKS)]
                + [("initialized", ctypes.c_uint), ("private", ctypes.c_void_p), ("startElementNs", ctypes.c_void_p),
                   ("endElementNs", ctypes.c_void_p), ("serror", ctypes.c_void_p)])


class Libxml2:
    """xmlReadMemory plus xmlFreeDoc through the system libxml2.so.2, the
    library quillmark itself links; and the same library's tokenizer alone."""

    def __init__(self):
        lib = ctypes.CDLL("libxml2.so.2")
        lib.xmlReadMemory.restype = ctypes.c_void_p
        lib.xmlReadMemory.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
        lib.xmlFreeDoc.argtypes = [ctypes.c_void_p]
        lib.xmlSetStructuredErrorFunc.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        # Entity references that only the external DTD declares are reported
        # as recoverable errors, which libxml2 would print to stderr with the
        # offending line. quillmark formats the same errors and drops them;
        # so that both pay alike, give libxml2 a handler that does nothing,
        # in C: xmlSAX2IgnorableWhitespace ignores all its arguments.
        lib.xmlSetStructuredErrorFunc(None, ctypes.cast(lib.xmlSAX2IgnorableWhitespace, ctypes.c_void_p))
        lib.xmlSAXUserParseMemory.argtypes = [ctypes.POINTER(SaxHandler), ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        # A SAX2 handler without a single callback: libxml2 still reads every
        # tag, attribute, reference and character, and builds nothing.
        self.no_callbacks = SaxHandler(initialized=XML_SAX2_MAGIC)
        self.lib = lib
        self.options = XML_PARSE_NONET | XML_PARSE_IGNORE_ENC

    def version(self):
        number = int(ctypes.c_char_p.in_dll(self.lib, "xmlParserVersion").value)
        return "%d.%d.%d" % (number // 10000, number // 100 % 100, number % 100)

    def parse(self, data):
        """Parses and frees the tree; data is the UTF-8 bytes of the document."""
        document = self.lib.xmlReadMemory(data, len(data), None, None, self.options)
        if not document:
            raise ValueError("libxml2 could not parse the document")
        self.lib.xmlFreeDoc(document)

    def tokenize(self, data):
        """Reads the document through SAX2 with no callbacks: the cost of
        libxml2's tokenizer alone, the floor of anything built on it."""
        self.lib.xmlSAXUserParseMemory(ctypes.byref(self.no_callbacks), None, data, len(data))


# The lxml baseline: what a user would write to get title, abstract, claims
# and description text out of one publication, white space collapsed.

PARSER = etree.XMLParser(resolve_entities=False, no_network=True, load_dtd=False, huge_tree=True)


def text_of(element):
    return " ".join("".join(element.itertext()).split()) if element is not None else None


def extract(root, title_path, abstract_path, claim_path, description_path, paragraph_tags):
    description = root.find(description_path)
    return {
        "title": text_of(root.find(title_path)),
        "abstract": text_of(root.find(abstract_path)),
        "claims": [text_of(claim) for claim in root.iterfind(claim_path)],
        "description": [text_of(p) for p in description.iter(*paragraph_tags)] if description is not None else [],
    }


def extract_v4(data):
    root = etree.fromstring(data, PARSER)
    return extract(root, "*/invention-title", "abstract", "claims/claim", "description", ("p", "heading"))


def extract_v25(data):
    root = etree.fromstring(data, PARSER)
    return extract(root, "SDOBI/B500/B540", "SDOAB", "SDOCL//CLM", "SDODE", ("PARA", "H"))


def extract_v1x(data):
    root = etree.fromstring(data, PARSER)
    return extract(root, "subdoc-bibliographic-information/technical-information/title-of-invention",
                   "subdoc-abstract", "subdoc-claims/claim", "subdoc-description", ("paragraph", "heading"))


def lxml_baseline(source_format):
    """The extraction for a source format name, or None for a text format."""
    if "V4" in source_format:
        return extract_v4
    if source_format == "UsptoGrantV25":
        return extract_v25
    if source_format in ("UsptoApplicationV15", "UsptoApplicationV16"):
        return extract_v1x
    return None
