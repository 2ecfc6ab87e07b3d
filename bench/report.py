"""The Markdown report of one benchmark run."""

import datetime
import os
import pathlib
import platform
import statistics
import subprocess

import lxml
import quillmark
from lxml import etree

MB = 1e6

# (key, column) of the throughput tables, in order.
OPERATIONS = (
    ("detect_format", "`detect_format`"),
    ("parse", "`parse`"),
    ("parse_to_markdown", "`parse_to_markdown`"),
    ("to_markdown", "`Document.to_markdown`"),
    ("to_dict", "`Document.to_dict`"),
    ("libxml2", "bare libxml2"),
    ("tokenizer", "libxml2 tokenizer alone"),
    ("lxml", "lxml baseline"),
)

# name: (target, sense)
TARGETS = {
    "markdown": (1.3, "at most"),   # parse_to_markdown / bare libxml2
    "parse": (1.4, "at most"),      # parse / bare libxml2
    "lxml": (10.0, "at least"),     # lxml baseline / parse_to_markdown
    "render": (1.0, "below"),       # to_markdown / parse
    "record": (1.0, "below"),       # to_dict / parse
    "detect": (2.0, "at least"),    # detect_format GB/s on a 1 MB document
    "memory": (6.0, "at most"),     # peak memory above baseline / input size
}


def meets(value, target):
    limit, sense = TARGETS[target]
    if sense == "at most":
        return value <= limit
    if sense == "below":
        return value < limit
    return value >= limit


def cpu_model():
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown"


def build_description():
    """The build type from the CMake cache beside the module, when it has one."""
    cache = pathlib.Path(quillmark.__file__).parent / "CMakeCache.txt"
    if cache.exists():
        for line in cache.read_text().splitlines():
            if line.startswith("CMAKE_BUILD_TYPE:"):
                return line.split("=", 1)[1] or "(none)"
    return "unknown"


def git_revision():
    here = pathlib.Path(__file__).parent
    try:
        revision = subprocess.run(["git", "-C", str(here), "rev-parse", "--short", "HEAD"],
                                  capture_output=True, text=True, check=True).stdout.strip()
        dirty = subprocess.run(["git", "-C", str(here), "status", "--porcelain", "--untracked-files=no"],
                               capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"
    return revision + (" (with uncommitted changes)" if dirty else "")


def machine(info):
    load = ", ".join("%.2f" % value for value in os.getloadavg())
    return [
        "- Date: %s" % datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "- CPU: %s; %d cores online, the run pinned to CPU %d; load average at the end %s"
        % (cpu_model(), os.cpu_count(), info["core"], load),
        "- System: %s %s, %s" % (platform.system(), platform.release(), platform.machine()),
        "- Python: %s %s" % (platform.python_implementation(), platform.python_version()),
        "- libxml2 (system, the one quillmark links): %s" % info["libxml2"],
        "- lxml %s (its own libxml2 %s)" % (lxml.__version__, ".".join(map(str, etree.LIBXML_VERSION))),
        "- quillmark %s from `%s`, build type %s; worktree at commit %s"
        % (quillmark.__version__, pathlib.Path(quillmark.__file__).name, build_description(), git_revision()),
    ]


def median(result, key):
    timing = result["times"].get(key)
    return timing.median if timing else None


def ratio(numerator, denominator):
    if numerator is None or denominator is None:
        return None
    return numerator / denominator


def paired_ratio(result, numerator, denominator):
    """The median over rounds of one operation's time over the other's in
    the same round: the two ran back to back, so a change of the machine's
    speed from one round to the next moves both alike. Operations timed in
    different rounds fall back to the ratio of their medians."""
    a, b = result["times"].get(numerator), result["times"].get(denominator)
    if a is None or b is None:
        return None
    if len(a.cpu) != len(b.cpu):
        return a.median / b.median
    return statistics.median(x / y for x, y in zip(a.cpu, b.cpu))


def cell(value, digits=2, target=None):
    if value is None:
        return "–"
    text = "%.*f" % (digits, value)
    if target is None:
        return text
    return text + (" ✓" if meets(value, target) else " ✗")


def document_label(result):
    return "`%s` (%.1f MB, %s)" % (result["name"], result["bytes"] / MB, result["format"])


def throughput_table(results):
    lines = ["| document | " + " | ".join(column for _, column in OPERATIONS) + " | str → UTF-8 |",
             "|---" * (len(OPERATIONS) + 2) + "|"]
    for result in results:
        cells = []
        for key, _ in OPERATIONS:
            seconds = median(result, key)
            cells.append(cell(result["bytes"] / MB / seconds if seconds else None, 1))
        utf8 = median(result, "utf8")
        cells.append(cell(result["bytes"] / MB / utf8, 0))
        lines.append("| %s | %s |" % (document_label(result), " | ".join(cells)))
    return lines


def time_table(results):
    lines = ["| document | " + " | ".join(column for _, column in OPERATIONS) + " | detect_format, ASCII text |",
             "|---" * (len(OPERATIONS) + 2) + "|"]
    for result in results:
        cells = []
        for key in [key for key, _ in OPERATIONS] + ["detect_format_ascii"]:
            timing = result["times"].get(key)
            cells.append("%.3f ±%.0f%% (%d)" % (timing.median * 1e3, timing.spread * 100, timing.repeats) if timing else "–")
        lines.append("| `%s` | %s |" % (result["name"], " | ".join(cells)))
    return lines


def target_figures(result):
    """The figure of each target for one document (None where it cannot be measured)."""
    memory = result["memory"].get("parse")
    return {
        "markdown": paired_ratio(result, "parse_to_markdown", "libxml2"),
        "parse": paired_ratio(result, "parse", "libxml2"),
        "lxml": paired_ratio(result, "lxml", "parse_to_markdown"),
        "lxml_floor": paired_ratio(result, "lxml", "tokenizer"),
        "render": paired_ratio(result, "to_markdown", "parse"),
        "record": paired_ratio(result, "to_dict", "parse"),
        "detect": result["bytes"] / 1e9 / median(result, "detect_format") if result["bytes"] < 2 * MB else None,
        "memory": memory / result["bytes"] if memory is not None else None,
    }


TARGET_COLUMNS = (
    ("markdown", "parse_to_markdown / libxml2"),
    ("parse", "parse / libxml2"),
    ("lxml", "lxml / parse_to_markdown"),
    ("render", "to_markdown / parse"),
    ("record", "to_dict / parse"),
    ("detect", "detect_format GB/s on 1 MB"),
    ("memory", "peak memory of parse, × input"),
)


def target_table(results):
    lines = ["| document | " + " | ".join("%s (%s %g)" % (column, TARGETS[key][1], TARGETS[key][0]) for key, column in TARGET_COLUMNS)
             + " | detect_format GB/s, ASCII text |", "|---" * (len(TARGET_COLUMNS) + 2) + "|"]
    for result in results:
        figures = target_figures(result)
        cells = [cell(figures[key], 1 if key == "memory" else 2, key) for key, _ in TARGET_COLUMNS]
        cells.append(cell(result["bytes"] / 1e9 / median(result, "detect_format_ascii")))
        lines.append("| `%s` | %s |" % (result["name"], " | ".join(cells)))
    return lines


def memory_table(results):
    lines = ["| document | `parse` | `parse_to_markdown` | bare libxml2 | lxml baseline |", "|---" * 5 + "|"]
    for result in results:
        cells = []
        for key in ("parse", "parse_to_markdown", "libxml2", "lxml"):
            peak = result["memory"].get(key)
            cells.append("%.1f× (%.1f MB)" % (peak / result["bytes"], peak / MB) if peak is not None else "–")
        lines.append("| `%s` | %s |" % (result["name"], " | ".join(cells)))
    return lines


DISTANCE_WORDING = {
    "markdown": ("`parse_to_markdown` against the bare libxml2 parse", "×", "slow"),
    "parse": ("`parse` (with its summary) against the bare libxml2 parse", "×", "slow"),
    "lxml": ("speed-up of `parse_to_markdown` over the lxml baseline", "×", "slow"),
    "render": ("`Document.to_markdown` against `parse`", "×", "slow"),
    "record": ("`Document.to_dict` against `parse`", "×", "slow"),
    "detect": ("`detect_format` on the 1 MB documents", " GB/s", "slow"),
    "memory": ("peak memory of `parse` above baseline", "× input", "much"),
}


def distances(results):
    """One line per target: met, or by how much the furthest document misses it."""
    lines = []
    for key, (what, unit, excess) in DISTANCE_WORDING.items():
        limit, sense = TARGETS[key]
        figures = [(target_figures(r)[key], r["name"]) for r in results]
        figures = [item for item in figures if item[0] is not None]
        if not figures:
            lines.append("- %s: nothing to measure yet." % what)
            continue
        figure, name = min(figures) if sense == "at least" else max(figures)
        if meets(figure, key):
            lines.append("- %s: met on every document; the closest call is %.2f%s on `%s` (target %s %g%s)."
                         % (what, figure, unit, name, sense, limit, unit))
        else:
            factor = limit / figure if sense == "at least" else figure / limit
            lines.append("- %s: %.2f%s on `%s` against a target of %s %g%s: %.2f times too %s."
                         % (what, figure, unit, name, sense, limit, unit, factor, excess))
    return lines


def floor_lines(results):
    """How fast anything that reads its XML with libxml2 could be against the
    lxml baseline: libxml2's tokenizer with no callbacks builds nothing."""
    lines = ["| document | tokenizer alone, ms | lxml baseline / tokenizer | parse_to_markdown / tokenizer |",
             "|---|---|---|---|"]
    for result in results:
        tokenizer = median(result, "tokenizer")
        if tokenizer is None:
            continue
        lines.append("| `%s` | %.3f | %s | %s |" % (result["name"], tokenizer * 1e3,
                                                    cell(paired_ratio(result, "lxml", "tokenizer")),
                                                    cell(paired_ratio(result, "parse_to_markdown", "tokenizer"))))
    return lines + ["", "The tokenizer alone is libxml2 reading the text through SAX2 with no callbacks: every tag, "
                    "attribute, reference and character is read and nothing is built. No conversion that reads its "
                    "XML with libxml2 can be more than \"lxml baseline / tokenizer\" times faster than the baseline, "
                    "even before it encodes the `str` to UTF-8, builds anything or writes its Markdown. Its time "
                    "moves a lot from round to round (see its interquartile range below): it is short, and whether "
                    "libxml2's copy of the input finds free heap or new pages decides much of it; `bench/PROFILE.md` "
                    "gives its instruction counts, which do not move."]


def write_report(path, results, info):
    lines = ["# Benchmark results", ""]
    if info["quick"]:
        lines += ["**Quick run (`--quick`): too few repeats for figures to rely on.**", ""]
    lines += ["Written by `python3 bench/run.py` (see `bench/README.md`); documents generated by `bench/generate.py` "
              "with seed %d. MB is 10^6 bytes of UTF-8. Every figure is the median of repeated runs in one process "
              "pinned to one core; each `parse`, `parse_to_markdown` and `detect_format` run gets a newly decoded `str`, "
              "as a program converting file after file does. Figures are CPU time of the thread; the machine is shared, so "
              "ratios move by about 10%% from one run to the next (the instruction counts in `bench/PROFILE.md` do not)."
              % info["seed"], "", "## Machine", ""]
    lines += machine(info)
    lines += ["", "## Throughput (MB/s)", ""] + throughput_table(results)
    lines += ["", "Str → UTF-8 is CPython's own `str.encode` of the document, for comparison: the module encodes "
              "a non-ASCII `str` itself, and that encoding is included in the quillmark columns. "
              "Detection of an ASCII text (the document with every non-ASCII character made \"?\") reads the "
              "`str` in place: it is the scan alone.", ""]
    lines += ["## Against the targets", ""] + target_table(results)
    lines += ["", "Ratios of times, each the median of the ratios within a round: parse_to_markdown / libxml2 is how many bare parses one conversion costs; "
              "lxml / parse_to_markdown is the speed-up over the lxml baseline. ✓ meets the target, ✗ misses it. "
              "Detection of an APS text looks at its first line only, so its GB/s say nothing about a scan.", ""]
    lines += ["## How far from each target", ""] + distances(results)
    lines += ["", "## The lxml target and libxml2's tokenizer", ""] + floor_lines(results)
    lines += ["", "## Peak memory above baseline (multiple of the input size)", ""] + memory_table(results)
    lines += ["", "Measured in a fresh process per document and operation (`bench/memory_probe.py`): resident set "
              "peak minus the resident set just before the call, after one untimed warm-up call.", ""]
    lines += ["## Median times (ms ±interquartile range, runs)", ""] + time_table(results)
    problems = [(r["name"], p) for r in results for p in r["problems"]]
    if problems:
        lines += ["", "## Consistency problems", ""] + ["- `%s`: %s" % item for item in problems]
    lines += ["", "The callgrind profile of the 10 MB grant is in `bench/PROFILE.md`.", ""]
    pathlib.Path(path).write_text("\n".join(lines))
