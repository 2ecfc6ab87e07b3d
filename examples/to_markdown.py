"""Prints the Markdown of one USPTO publication file."""
import sys

import quillmark

with open(sys.argv[1], encoding="utf-8") as source:
    print(quillmark.parse_to_markdown(source.read()))
