"""Writes <name>.md, <name>.gfm.md (the gfm flavour) and <name>.json beside
a test document from the current build. Review both files by reading them before committing: they are the
expected outputs the golden tests hold the module to.

    python tests/python/make_expected.py tests/data/grant_v45_full.xml
"""
import json
import pathlib
import sys

import quillmark
from golden import getters

for name in sys.argv[1:]:
    source = pathlib.Path(name)
    document = quillmark.parse(source.read_text(encoding="utf-8"))
    source.with_suffix(".md").write_text(document.to_markdown() + "\n", encoding="utf-8")
    source.with_suffix(".gfm.md").write_text(document.to_markdown(flavor="gfm") + "\n", encoding="utf-8")
    source.with_suffix(".json").write_text(
        json.dumps(getters(document), indent=2, ensure_ascii=False) + "\n", encoding="utf-8"
    )
