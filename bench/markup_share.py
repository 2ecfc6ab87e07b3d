"""The share of markup in the Markdown of the real publications, per format,
in the default layout and in the GFM flavour: the characters of XML tags,
processing instructions and comments, against all characters. For the GFM
flavour the tags it writes on purpose (sub, sup, br, ins, del, u and the
table tags of spanned tables) are counted apart.

    PYTHONPATH=build-dev python3 bench/markup_share.py [--corpus DIR]

Prints a Markdown table. The corpus is tests/corpus.
"""
import argparse
import collections
import pathlib
import re

import quillmark

ROOT = pathlib.Path(__file__).resolve().parent.parent
TAG = re.compile(r"(?<!\\)(?:<!--.*?-->|<\?.*?\?>|</?([A-Za-z_][\w.:-]*)(?:\s[^<>]*)?/?>)", re.S)
WRITTEN = {"sub", "sup", "br", "ins", "del", "u", "table", "tr", "th", "td"}


def shares(markdown: str) -> tuple[int, int]:
    """(characters of tags the flavour does not write, of tags it writes);
    an escaped "<" starts no tag."""
    other = written = 0
    for match in TAG.finditer(markdown):
        if match.group(1) and match.group(1).lower() in WRITTEN:
            written += len(match.group())
        else:
            other += len(match.group())
    return other, written


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", type=pathlib.Path, default=ROOT / "tests" / "corpus")
    arguments = parser.parse_args()
    totals = collections.defaultdict(lambda: [0] * 6)
    for path in sorted(arguments.corpus.glob("*/*")):
        if path.suffix.lower() not in (".xml", ".txt"):
            continue
        text = path.read_text(encoding="utf-8")
        try:
            default = quillmark.parse_to_markdown(text)
            gfm = quillmark.parse_to_markdown(text, flavor="gfm")
        except ValueError:
            continue
        row = totals[path.parent.name]
        row[0] += len(default)
        row[1] += sum(shares(default))
        row[2] += len(gfm)
        other, written = shares(gfm)
        row[3] += other
        row[4] += written
        row[5] += 1
    print("| format | documents | default: markup | gfm: other markup | gfm: inline HTML |")
    print("|---|---|---|---|---|")
    for name, (size, markup, gfm_size, other, written, count) in sorted(totals.items()):
        print(f"| {name} | {count} | {markup / size:.2%} | {other / gfm_size:.2%} | {written / gfm_size:.2%} |")


if __name__ == "__main__":
    main()
