"""Parse and render against the floor: libxml2's SAX2 tokenizer with no
callbacks over the same documents (a plain line split for APS), on
weekly-like bulk files of the corpus's real publications, one per family.

    PYTHONPATH=build python3 bench/floor.py [--families grant_v4 aps ...] [--megabytes 30]
                                            [--rounds 5] [--output bench/FLOOR_RESULTS.md] [--no-memory]

Per family (bench/weekly.py: grant_v4, app_v4, app_v1, grant_v25, sequence,
aps), a bulk file of the family's publications concatenated until it holds at
least --megabytes MB, then, in rounds that take turns (the median of each
figure, and the median of the per-round ratios to the floor):

- floor: bench/sax_floor.cpp (compiled into bench/out/ against the system
  libxml2) reading every document with its own parser context, CPU of that
  loop alone (its second pass in its process); for APS a split of the file
  into lines;
- parse: `read_bulk(path, jobs=1)`, every item's `document` taken (CPU of the
  whole process: the reading, working and delivering threads);
- default, gfm: `to_markdown()` and `to_markdown(flavor="gfm")` of every
  document, parsed beforehand (CPU of the calling thread);
- whole default, whole gfm: read_bulk with each document's Markdown
  (process CPU).

And the peak memory of `parse` on the family's largest publication
(bench/memory_probe.py, a process of its own), as a multiple of its size.
The machine's load (`uptime`) is printed before and after. The module is the
one found on PYTHONPATH.
"""

import argparse
import gc
import json
import os
import pathlib
import statistics
import subprocess
import sys
import time

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import weekly  # noqa: E402

import quillmark  # noqa: E402

SAX_FLOOR = BENCH / "sax_floor.cpp"
SAX_FLOOR_BINARY = weekly.OUT / "sax_floor"

OPERATIONS = ("floor", "parse", "default", "gfm", "whole default", "whole gfm")


def load() -> str:
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.split("load average:")[1].strip()


def build_floor() -> pathlib.Path:
    """Compiles sax_floor.cpp when the binary is missing or older (to a
    temporary name, then renamed: runs started together share it)."""
    if SAX_FLOOR_BINARY.exists() and SAX_FLOOR_BINARY.stat().st_mtime >= SAX_FLOOR.stat().st_mtime:
        return SAX_FLOOR_BINARY
    weekly.OUT.mkdir(exist_ok=True)
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "libxml-2.0"], check=True, capture_output=True,
                           text=True).stdout.split()
    scratch = SAX_FLOOR_BINARY.with_name("sax_floor.%d.tmp" % os.getpid())
    subprocess.run(["g++", "-std=c++17", "-O2", "-Wall", "-Wextra", str(SAX_FLOOR), "-o", str(scratch), *flags],
                   check=True)
    os.replace(scratch, SAX_FLOOR_BINARY)
    return SAX_FLOOR_BINARY


def floor_seconds(binary, mode, path):
    """The second of two passes in one process: the first one, like the
    untimed round of the other operations, finds the memory in place."""
    output = subprocess.run([str(binary), mode, str(path), "2"], check=True, capture_output=True, text=True).stdout
    return float(output.splitlines()[-1].split()[0])


def parse_all(path):
    for item in quillmark.read_bulk(str(path), jobs=1):
        item.document


def whole(path, flavor):
    for item in quillmark.read_bulk(str(path), jobs=1):
        document = item.document
        if document is not None:
            document.to_markdown(flavor=flavor)


def render_all(documents, flavor):
    for document in documents:
        document.to_markdown(flavor=flavor)


def process_cpu(run, *arguments):
    start = time.process_time()
    run(*arguments)
    return time.process_time() - start


def thread_cpu(run, *arguments):
    start = time.thread_time()
    run(*arguments)
    return time.thread_time() - start


def measure(binary, family, path, rounds):
    """Operation -> CPU seconds of each round; the ratios to the floor of each round."""
    mode = "lines" if family == "aps" else "xml"
    documents = [item.document for item in quillmark.read_bulk(str(path), jobs=1) if item.document is not None]
    steps = {
        "floor": lambda: floor_seconds(binary, mode, path),
        "parse": lambda: process_cpu(parse_all, path),
        "default": lambda: thread_cpu(render_all, documents, None),
        "gfm": lambda: thread_cpu(render_all, documents, "gfm"),
        "whole default": lambda: process_cpu(whole, path, None),
        "whole gfm": lambda: process_cpu(whole, path, "gfm"),
    }
    samples = {name: [] for name in OPERATIONS}
    gc_was_enabled = gc.isenabled()
    gc.disable()
    try:
        for name in OPERATIONS:  # one untimed round
            steps[name]()
        for _ in range(rounds):
            for name in OPERATIONS:
                samples[name].append(steps[name]())
    finally:
        if gc_was_enabled:
            gc.enable()
    return samples, len(documents)


def peak_memory(family):
    """The parse's peak above the resident set before it, as a multiple of
    the size of the family's largest publication; and that size."""
    largest = max(weekly.publications(family), key=lambda path: path.stat().st_size)
    size = largest.stat().st_size
    source_format = quillmark.detect_format(largest.read_text(encoding="utf-8"))
    output = subprocess.run([sys.executable, str(BENCH / "memory_probe.py"), "parse", str(largest), source_format],
                            check=True, capture_output=True, text=True, env=os.environ).stdout
    figures = json.loads(output)
    return (figures["peak"] - figures["baseline"]) / size, size


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--families", nargs="+", choices=list(weekly.FAMILIES), default=list(weekly.FAMILIES))
    parser.add_argument("--megabytes", type=float, default=30, help="size of each bulk file, at least (default 30)")
    parser.add_argument("--rounds", type=int, default=5, help="timed rounds (default 5)")
    parser.add_argument("--no-memory", action="store_true", help="skip the peak memory probes")
    parser.add_argument("--output", type=pathlib.Path, help="also write the Markdown here")
    args = parser.parse_args()
    binary = build_floor()
    started_load = load()
    print("module: %s; load before: %s" % (quillmark.__file__, started_load), file=sys.stderr, flush=True)

    header = ("| family | MB | documents | floor CPU s | floor MB/s | parse × floor | default × floor | gfm × floor"
              " | whole default × floor | whole gfm × floor | parse MB/s | peak memory × input (largest) | load |")
    rows = [header, "|" + "---|" * (header.count("|") - 1)]
    seconds = ["| family | " + " | ".join(OPERATIONS) + " |", "|" + "---|" * (len(OPERATIONS) + 1)]
    for family in args.families:
        path = weekly.bulk_file(family, weekly.copies_for(family, args.megabytes))
        mb = path.stat().st_size / 1e6
        samples, count = measure(binary, family, path, args.rounds)
        floor = samples["floor"]
        ratio = {name: statistics.median(value / base for value, base in zip(samples[name], floor))
                 for name in OPERATIONS}
        median = {name: statistics.median(samples[name]) for name in OPERATIONS}
        memory = "—"
        if not args.no_memory:
            multiple, size = peak_memory(family)
            memory = "%.1f (%d KB)" % (multiple, size // 1000)
        row = "| %s | %.1f | %d | %.3f | %.0f | %s | %.1f | %s | %s |" % (
            family, mb, count, median["floor"], mb / median["floor"],
            " | ".join("%.2f" % ratio[name] for name in OPERATIONS[1:]), mb / median["parse"], memory, load())
        rows.append(row)
        seconds.append("| %s | " % family + " | ".join("%.3f" % median[name] for name in OPERATIONS) + " |")
        print(row, flush=True)
    text = "\n".join(
        ["Module `%s`; %d rounds, medians; load %s before, %s after." % (
            quillmark.__file__, args.rounds, started_load, load()), "", *rows, "",
         "CPU seconds (medians):", "", *seconds, ""])
    print("\n" + text)
    if args.output:
        args.output.write_text(text)


if __name__ == "__main__":
    main()
