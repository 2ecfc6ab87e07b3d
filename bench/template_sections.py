"""What a template that names fewer sections saves: parse_to_markdown of the
large synthetic documents with the default template and with each section
alone. Only the sections a template names are rendered, so a one-section
template costs the parse and that section.

    PYTHONPATH=build-dev python3 bench/template_sections.py [--output FILE]

Writes a Markdown table (CPU time, medians of alternating rounds on one core)
to stdout or FILE. The documents are those of generate.py (made when missing).
"""
import argparse
import pathlib
import sys

import quillmark

import generate
from timing import measure_rounds, pin_to_one_core, settle_allocator, write_table

OUT = generate.DEFAULT_OUT
DOCUMENTS = ["grant_v45_1mb.xml", "application_v44_1mb.xml", "grant_v25_1mb.xml", "grant_aps_1mb.txt"]
TEMPLATES = {
    "default": None,
    "{{frontmatter}}": "{{frontmatter}}",
    "{{title}}": "{{title}}",
    "{{abstract}}": "{{abstract}}",
    "{{description}}": "{{description}}",
    "{{claims}}": "{{claims}}",
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=pathlib.Path)
    arguments = parser.parse_args()
    generate.generate(log=lambda *_: None)
    pin_to_one_core()
    settle_allocator()
    rows = ["| document | " + " | ".join(TEMPLATES) + " |", "|---" * (len(TEMPLATES) + 1) + "|"]
    for name in DOCUMENTS:
        text = (OUT / name).read_text(encoding="utf-8")
        cases = {label: (lambda t, template=template: quillmark.parse_to_markdown(t, template), lambda: text)
                 for label, template in TEMPLATES.items()}
        timings = measure_rounds(cases, budget=4.0)
        full = timings["default"].median
        cells = [f"{full * 1000:.2f} ms"] + [f"{timings[label].median / full:.2f}" for label in list(TEMPLATES)[1:]]
        rows.append(f"| {name} | " + " | ".join(cells) + " |")
        print(rows[-1], file=sys.stderr)
    table = "\n".join(rows) + "\n\nOne-section templates as a share of the default template's time.\n"
    write_table(table, arguments.output)


if __name__ == "__main__":
    main()
