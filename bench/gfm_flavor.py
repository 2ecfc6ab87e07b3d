"""What the GFM flavour costs beside the default layout: parse_to_markdown
and Document.to_markdown (rendering alone) of the large synthetic documents
in both flavours, timed in alternating rounds on one core.

    PYTHONPATH=build-dev python3 bench/gfm_flavor.py [--budget SECONDS] [--output FILE]

Writes a Markdown table (CPU time, medians) to stdout or FILE. The documents
are those of generate.py (made when missing).
"""
import argparse
import pathlib
import sys

import quillmark

import generate
from timing import measure_rounds, pin_to_one_core, settle_allocator, write_table

OUT = generate.DEFAULT_OUT
DOCUMENTS = ["grant_v45_1mb.xml", "application_v44_1mb.xml", "application_v16_1mb.xml", "grant_v25_1mb.xml",
             "grant_aps_1mb.txt"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--budget", type=float, default=4.0, help="seconds of rounds per document")
    parser.add_argument("--output", type=pathlib.Path)
    arguments = parser.parse_args()
    generate.generate(log=lambda *_: None)
    pin_to_one_core()
    settle_allocator()
    rows = ["| document | default | gfm | gfm / default | render default | render gfm | render gfm / default |",
            "|---|---|---|---|---|---|---|"]
    for name in DOCUMENTS:
        text = (OUT / name).read_text(encoding="utf-8")
        document = quillmark.parse(text)
        cases = {
            "default": (lambda t: quillmark.parse_to_markdown(t), lambda: text),
            "gfm": (lambda t: quillmark.parse_to_markdown(t, flavor="gfm"), lambda: text),
            "render default": (lambda d: d.to_markdown(), lambda: document),
            "render gfm": (lambda d: d.to_markdown(flavor="gfm"), lambda: document),
        }
        timings = measure_rounds(cases, budget=arguments.budget)
        ms = {label: timing.median * 1000 for label, timing in timings.items()}
        rows.append(f"| {name} | {ms['default']:.2f} ms | {ms['gfm']:.2f} ms | {ms['gfm'] / ms['default']:.2f} "
                    f"| {ms['render default']:.2f} ms | {ms['render gfm']:.2f} ms "
                    f"| {ms['render gfm'] / ms['render default']:.2f} |")
        print(rows[-1], file=sys.stderr)
    table = "\n".join(rows) + "\n"
    write_table(table, arguments.output)


if __name__ == "__main__":
    main()
