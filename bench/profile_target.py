"""Runs one quillmark operation on one document, for a profiler to watch.

    python3 bench/profile_target.py OPERATION PATH

OPERATION is parse, parse_to_markdown, to_markdown (Document.to_markdown of
a document parsed beforehand), read_bulk (read_bulk(PATH, jobs=1) over a bulk
file, every item's document taken), libxml2 (the bare libxml2 parse of the
same bytes, the yardstick) or tokenizer (libxml2's SAX2 reading of them
with no callbacks), lxml (the lxml baseline) or startup (only what lxml's
run does before the extraction, so that the difference is the baseline's). bench/README.md shows how to run this
under callgrind so that only the operation itself is counted.
"""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import quillmark  # noqa: E402

from lxml import etree  # noqa: E402
from yardsticks import PARSER, Libxml2, lxml_baseline  # noqa: E402


def main():
    operation, path = sys.argv[1], sys.argv[2]
    if operation == "read_bulk":
        for item in quillmark.read_bulk(path, jobs=1):
            item.document
        return
    text = pathlib.Path(path).read_text(encoding="utf-8")
    if operation == "to_markdown":
        document = quillmark.parse(text)
        document.to_markdown()
    elif operation == "libxml2":
        Libxml2().parse(text.encode("utf-8"))
    elif operation == "tokenizer":
        Libxml2().tokenize(text.encode("utf-8"))
    elif operation in ("lxml", "startup"):
        data = text.encode("utf-8")
        extract = lxml_baseline(quillmark.detect_format(text))
        etree.fromstring(b"<a/>", PARSER)  # lxml's own set-up is not the baseline's cost
        if operation == "lxml":
            extract(data)
    elif operation in ("parse", "parse_to_markdown"):
        getattr(quillmark, operation)(text)
    else:
        raise SystemExit("unknown operation %r" % operation)


if __name__ == "__main__":
    main()
