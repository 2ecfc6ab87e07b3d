"""Runs the benchmark suite and writes bench/RESULTS.md.

    python3 bench/run.py [--quick] [--output FILE] [--only NAME ...]

Uses the quillmark module found on PYTHONPATH. The documents are generated
under bench/out/ first when they are missing or the generator changed.
"""

import argparse
import json
import os
import pathlib
import subprocess
import sys

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import quillmark  # noqa: E402

import generate  # noqa: E402
from report import write_report  # noqa: E402
from timing import measure_rounds, pin_to_one_core, settle_allocator  # noqa: E402
from yardsticks import Libxml2, lxml_baseline  # noqa: E402

MEMORY_OPERATIONS = ("parse", "parse_to_markdown", "libxml2", "lxml")


def peak_memory(operation, path, source_format):
    """Bytes of resident memory above the baseline, from a fresh process."""
    probe = subprocess.run([sys.executable, str(BENCH / "memory_probe.py"), operation, str(path), source_format],
                           check=True, capture_output=True, text=True, env=os.environ)
    figures = json.loads(probe.stdout)
    return figures["peak"] - figures["baseline"]


def check_consistency(text, data, extract):
    """Catches a benchmark that measures the wrong thing: both render paths
    must agree, and the lxml baseline must find the claims quillmark finds."""
    problems = []
    document = quillmark.parse(text)
    if document.to_markdown() != quillmark.parse_to_markdown(text):
        problems.append("parse(x).to_markdown() differs from parse_to_markdown(x)")
    if extract is not None:
        found = len(extract(data)["claims"])
        if found != len(document.claims):
            problems.append("lxml baseline found %d claims, quillmark %d" % (found, len(document.claims)))
    return problems


def bench_document(name, path, expected_format, libxml2, settings, log):
    data = path.read_bytes()
    text = data.decode("utf-8")
    source_format = quillmark.detect_format(text)
    if source_format != expected_format:
        raise SystemExit("%s is detected as %s, not %s: the generator is wrong" % (name, source_format, expected_format))
    extract = lxml_baseline(source_format)
    fresh = lambda: data.decode("utf-8")  # noqa: E731 - a new str per run, as one per file in real use
    result = {"name": name, "bytes": len(data), "format": source_format,
              "times": {}, "memory": {}, "problems": []}
    times = result["times"]
    log("%s: %s, %d bytes" % (name, source_format, len(data)))
    # Detection reads the text once and is timed on its own, with the text in
    # the cache as it is right after a file was read and decoded; next to the
    # parsers, which sweep the caches, it would be timed on a cold text. The
    # same text with every non-ASCII character made "?" is read in place, so
    # it times the scan alone, without the UTF-8 encoding.
    ascii_text = text.encode("ascii", "replace").decode("ascii")
    times.update(measure_rounds({
        "detect_format": (quillmark.detect_format, fresh),
        "detect_format_ascii": (quillmark.detect_format, lambda: ascii_text),
        "utf8": (str.encode, fresh),
    }, **settings["detection"]))
    parsed = quillmark.parse(text)
    cases = {
        "parse": (quillmark.parse, fresh),
        "parse_to_markdown": (quillmark.parse_to_markdown, fresh),
        "to_markdown": (lambda _: parsed.to_markdown(), lambda: None),
        "to_dict": (lambda _: parsed.to_dict(), lambda: None),
    }
    result["problems"] = check_consistency(text, data, extract)
    if path.suffix == ".xml":
        cases["libxml2"] = (libxml2.parse, lambda: data)
        cases["tokenizer"] = (libxml2.tokenize, lambda: data)
    if extract is not None:
        cases["lxml"] = (extract, lambda: data)
    times.update(measure_rounds(cases, **settings["parsing"]))

    for operation in MEMORY_OPERATIONS:
        if operation in times:
            result["memory"][operation] = peak_memory(operation, path, source_format)
    for operation, timing in times.items():
        log("  %-20s %9.3f ms CPU %9.3f ms wall  (%d runs, IQR %.1f%%)"
            % (operation, timing.median * 1e3, timing.wall_median * 1e3, timing.repeats, timing.spread * 100))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="few repeats: a smoke test, not figures to keep")
    parser.add_argument("--output", type=pathlib.Path, default=BENCH / "RESULTS.md")
    parser.add_argument("--only", nargs="+", metavar="NAME", help="document names (see bench/generate.py)")
    parser.add_argument("--seed", type=int, default=generate.DEFAULT_SEED)
    args = parser.parse_args()
    known = [name for name, *_ in generate.DOCUMENTS]
    if args.only and not set(args.only) <= set(known):
        parser.error("--only takes names among: " + ", ".join(known))

    log = lambda line: print(line, flush=True)  # noqa: E731
    paths = generate.generate(args.seed, log=log)
    core = pin_to_one_core()
    log("pinned to CPU %d; quillmark from %s" % (core, quillmark.__file__))
    if args.quick:
        settings = {"detection": {"budget": 0.2, "min_rounds": 3}, "parsing": {"budget": 0.5, "min_rounds": 3}}
    else:
        settings = {"detection": {"budget": 2.0, "min_rounds": 20, "max_rounds": 300},
                    "parsing": {"budget": 10.0, "min_rounds": 7, "max_rounds": 100}}
    libxml2 = Libxml2()
    settle_allocator()
    results = []
    for (name, *_, expected_format), path in zip(generate.DOCUMENTS, paths):
        if args.only and name not in args.only:
            continue
        results.append(bench_document(name, path, expected_format, libxml2, settings, log))
    write_report(args.output, results, {"core": core, "seed": args.seed, "libxml2": libxml2.version(), "quick": args.quick})
    log("wrote %s" % args.output)
    raw = generate.DEFAULT_OUT / "results.json"
    raw.write_text(json.dumps([dict(r, times={k: {"cpu": t.cpu, "wall": t.wall} for k, t in r["times"].items()})
                               for r in results], indent=1))
    log("wrote %s (every sample, seconds)" % raw)


if __name__ == "__main__":
    main()
