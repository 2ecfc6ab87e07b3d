"""Profiles quillmark under callgrind and summarises the costs by function.

    python3 bench/profile.py [--document NAME] [--top N] [--output FILE]
    python3 bench/profile.py --weekly [FAMILY ...] [--megabytes N] [--top N] [--output FILE]

Runs each operation once under `valgrind --tool=callgrind`, counting only
the operation's own call (--toggle-collect), then prints Markdown: the
instructions of each operation against the bare libxml2 parse of the same
bytes, the split by library, and the functions with the most inclusive and
the most exclusive cost. Instruction counts do not depend on the load of the
machine. Profiles the module found on PYTHONPATH; the callgrind files stay in
bench/out/ for callgrind_annotate or kcachegrind.

With --weekly, profiles `read_bulk(path, jobs=1)` taking every document on
about --megabytes MB (3 by default) of real publications of each family
named (bench/weekly.py; all of them by default), every thread of the module
counted: the reading thread, the worker, the delivering thread, and on the
calling thread each step and each item freed. Beside it, the floor
(bench/sax_floor.cpp: libxml2's SAX2 tokenizer with no callbacks over each
document, a line split for APS), and the per-document costs by stage.
"""

import argparse
import collections
import os
import pathlib
import re
import subprocess
import sys

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import generate  # noqa: E402
import weekly  # noqa: E402

# Operation -> the function whose calls callgrind counts: the exception guard
# each entry function is wrapped in (the entry function itself is inlined).
OPERATIONS = {
    "parse_to_markdown": "*call<&quillmark::(anonymous namespace)::parse_to_markdown>*",
    "parse": "*call<&quillmark::(anonymous namespace)::parse>*",
    "to_markdown": "*call<&quillmark::(anonymous namespace)::document_to_markdown>*",
    "libxml2": "ffi_call*",  # the ctypes call into xmlReadMemory and xmlFreeDoc
    "tokenizer": "ffi_call*",  # the ctypes call into xmlSAXUserParseMemory, no callbacks
}
# The lxml baseline runs Python code of its own, so no single function holds
# its cost: it is the whole process, less the same process that only reads the
# document and warms lxml up ("startup").
WHOLE_PROCESS = ("lxml", "startup")
# The yardsticks, listed with their instructions but without tables of their own.
YARDSTICKS = ("libxml2", "tokenizer", "lxml")

# read_bulk's threads: the module's own threads whole, and on the calling
# thread each step of the iterator and each item freed.
READ_BULK_TOGGLES = ("start_thread", "*call<&quillmark::(anonymous namespace)::bulk_reader_next>*",
                     "*bulk_item_dealloc*")
FLOOR_TOGGLES = {"xml": "xmlSAXUserParseMemory", "lines": "*split_lines*"}

# The stages of read_bulk that every document pays: label, the functions
# whose inclusive costs make it (parts of their full names), and those whose
# inclusive costs are taken off it.
STAGES = (
    ("reading thread: read, split, hand over", ("quillmark::bulk::read_input(",), ()),
    ("of it, the splitter", ("BulkSplitter::feed(", "BulkSplitter::finish("), ()),
    ("UTF-8 check", ("invalid_utf8_message",), ()),
    ("detection", ("detect_source_format(",), ()),
    ("XML to flat tree", ("quillmark::parse_xml(",), ()),
    ("of it, libxml2's context made", ("xmlCreateMemoryParserCtxt",), ()),
    ("of it, libxml2's context freed", ("xmlFreeParserCtxt",), ()),
    ("of it, the DOCTYPE: libxml2 document, internal subset, entity declarations",
     ("xmlSAX2StartDocument", "xmlSAX2InternalSubset", "xmlSAX2EntityDecl", "xmlFreeDoc"), ()),
    ("of it, entity references", ("(anonymous namespace)::on_reference(void*",), ()),
    ("flat tree to Document", ("quillmark::read_xml_document<",), ("quillmark::parse_xml(",)),
    ("APS reader", ("quillmark::read_aps(",), ()),
    ("summary", ("quillmark::summarize(",), ()),
    ("calling thread: steps, Document objects made", ("bulk_reader_next>",), ()),
    ("calling thread: items and Documents freed", ("bulk_item_dealloc",), ()),
)

LINE = re.compile(r"^\s*([\d,]+) \(\s*([\d.]+)%\)\s+(?:[<>*]\s+)?(\S.*?)(?: \((\d[\d,]*)x\))?(?: \[(.+)\])?$")


def run_callgrind(operation, document, out):
    toggle = [] if operation in WHOLE_PROCESS else [OPERATIONS[operation]]
    callgrind(toggle, [sys.executable, str(BENCH / "profile_target.py"), operation, str(document)], out)


def callgrind(toggles, command, out):
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=%s" % out]
                   + ["--toggle-collect=%s" % toggle for toggle in toggles] + command,
                   check=True, capture_output=True, env=os.environ)


def totals_line(out):
    """The instruction count a callgrind file ends with."""
    for line in pathlib.Path(out).read_text().splitlines():
        if line.startswith("totals:") or line.startswith("summary:"):
            return int(line.split()[1])
    raise ValueError("no totals in %s" % out)


def annotate(out, inclusive):
    text = subprocess.run(["callgrind_annotate", "--threshold=100", "--inclusive=%s" % ("yes" if inclusive else "no"), str(out)],
                          check=True, capture_output=True, text=True).stdout
    rows = []
    for line in text.split("file:function", 1)[1].splitlines():
        match = LINE.match(line)
        if match:
            cost, _, where, _, obj = match.groups()
            function = where.split(":", 1)[1] if ":" in where else where
            rows.append((int(cost.replace(",", "")), function, library(obj, where)))
    return rows


def collapse_templates(name):
    """Keeps the first level of template arguments and elides deeper ones."""
    out, depth = [], 0
    for char in name:
        if char == "<":
            depth += 1
            out.append("<" if depth == 1 else ("<…>" if depth == 2 else ""))
        elif char == ">" and depth:
            out.append(">" if depth == 1 else "")
            depth -= 1
        elif depth <= 1:
            out.append(char)
    return "".join(out)


def short_name(function):
    """quillmark::(anonymous namespace)::fill(std::vector<...> const&) -> fill"""
    name = function.replace("(anonymous namespace)::", "").replace("[abi:cxx11]", "").replace("quillmark::", "")
    name = re.sub(r"'\d+$", "", collapse_templates(name))
    name = re.sub(r", std::(allocator|char_traits)<…>", "", name).replace(" >", ">")
    name = re.sub(r"^(void|decltype\(auto\)) ", "", name)
    if name.startswith("0x"):
        return "internal function at %s" % name
    return name if name.startswith("operator") else name.split("(", 1)[0]


def library(obj, where):
    if "libpython" in (obj or "") or (not obj and "Python-" in where):
        return "libpython"
    return pathlib.Path(obj).name if obj else "?"


class Profile:
    def __init__(self, out):
        self.total = 0
        self.exclusive = collections.Counter()
        self.inclusive = {}
        self.objects = collections.Counter()
        for cost, function, obj in annotate(out, inclusive=False):
            key = (short_name(function), obj)
            self.exclusive[key] += cost
            self.objects[obj] += cost
            self.total += cost
        self.by_full_name = {}
        for cost, function, obj in annotate(out, inclusive=True):
            if "'" not in function:
                self.by_full_name.setdefault(function, cost)
            key = (short_name(function), obj)
            # A recursive function appears once per depth; its first (outermost) line is its inclusive cost.
            if "'" not in function and cost < self.total and key not in self.inclusive:
                self.inclusive[key] = cost
        for key in self.exclusive:
            self.inclusive.setdefault(key, self.exclusive[key])

    def percent(self, cost):
        return 100.0 * cost / self.total


def tables(name, profile, top):
    lines = ["### `%s`" % name, "", "| library | exclusive |", "|---|---|"]
    lines += ["| %s | %.1f%% |" % (obj, profile.percent(cost)) for obj, cost in profile.objects.most_common(6)]
    lines += ["", "By inclusive cost (callers above the operation, and wrappers that only pass a call on, left out):", "",
              "| function | library | inclusive | exclusive |", "|---|---|---|---|"]
    shown = []
    for key, cost in sorted(profile.inclusive.items(), key=lambda item: -item[1]):
        if len(shown) == top:
            break
        wrapper = profile.percent(profile.exclusive[key]) < 0.05 and any(abs(cost - other) < profile.total / 2000 for other in shown)
        if wrapper:
            continue
        shown.append(cost)
        lines.append("| `%s` | %s | %.1f%% | %.1f%% |" % (key[0], key[1], profile.percent(cost), profile.percent(profile.exclusive[key])))
    lines += ["", "By exclusive cost:", "", "| function | library | exclusive | inclusive |", "|---|---|---|---|"]
    for key, cost in profile.exclusive.most_common(top):
        lines.append("| `%s` | %s | %.1f%% | %.1f%% |" % (key[0], key[1], profile.percent(cost), profile.percent(profile.inclusive[key])))
    return lines + [""]


def stage_lines(profile, documents):
    def cost_of(parts):
        return sum(cost for name, cost in profile.by_full_name.items() if any(part in name for part in parts))

    lines = ["| stage | share | instructions per document |", "|---|---|---|"]
    for label, parts, less in STAGES:
        cost = cost_of(parts) - (cost_of(less) if less and cost_of(parts) else 0)
        if cost:
            lines.append("| %s | %.1f%% | %s |" % (label, profile.percent(cost), format(cost // documents, ",")))
    return lines + [""]


def profile_weekly(families, megabytes, top, reuse, tag):
    import quillmark
    from floor import build_floor
    binary = build_floor()
    lines = ["## `read_bulk(jobs=1)` on real documents, every document taken", "",
             "| family | MB | documents | instructions | per byte | floor | × floor | per document |",
             "|---|---|---|---|---|---|---|---|"]
    details = []
    for family in families:
        path = weekly.sample_file(family, megabytes)
        size = path.stat().st_size
        documents = sum(1 for _ in quillmark.read_bulk(str(path)))
        out = weekly.OUT / ("callgrind.%s%s.read_bulk.out" % (path.stem, tag))
        floor_out = weekly.OUT / ("callgrind.%s.floor.out" % path.stem)
        if not (reuse and out.exists() and floor_out.exists()):
            print("profiling read_bulk and the floor on %s ..." % path.name, file=sys.stderr, flush=True)
            callgrind(READ_BULK_TOGGLES, [sys.executable, str(BENCH / "profile_target.py"), "read_bulk", str(path)], out)
            mode = "lines" if family == "aps" else "xml"
            callgrind([FLOOR_TOGGLES[mode]], [str(binary), mode, str(path)], floor_out)
        profile = Profile(out)
        floor = totals_line(floor_out)
        lines.append("| %s | %.1f | %d | %s | %.1f | %s | %.2f | %s |" % (
            family, size / 1e6, documents, format(profile.total, ","), profile.total / size, format(floor, ","),
            profile.total / floor, format(profile.total // documents, ",")))
        details += ["### `%s`: stages" % family, ""] + stage_lines(profile, documents)
        details += tables("%s: functions" % family, profile, top)
    return "\n".join(lines + [""] + details)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--document", default="grant_v45_10mb.xml", help="a document name from bench/generate.py")
    parser.add_argument("--top", type=int, default=20)
    parser.add_argument("--output", type=pathlib.Path, help="also write the Markdown here")
    parser.add_argument("--reuse", action="store_true", help="summarise the callgrind files of an earlier run")
    parser.add_argument("--lxml", action="store_true",
                        help="count the lxml baseline too (two runs of the whole interpreter; XML formats only)")
    parser.add_argument("--weekly", nargs="*", choices=list(weekly.FAMILIES),
                        help="profile read_bulk on real publications of these families (all when none is named)")
    parser.add_argument("--megabytes", type=float, default=3, help="with --weekly: MB of each family (default 3)")
    parser.add_argument("--tag", default="", help="with --weekly: added to the callgrind file names, to keep two builds' apart")
    args = parser.parse_args()
    if args.weekly is not None:
        text = profile_weekly(args.weekly or list(weekly.FAMILIES), args.megabytes, args.top, args.reuse,
                              args.tag and "." + args.tag)
        print(text)
        if args.output:
            args.output.write_text(text)
        return
    generate.generate()
    document = generate.DEFAULT_OUT / args.document
    size = document.stat().st_size
    profiles, totals = {}, {}
    for operation in list(OPERATIONS) + (list(WHOLE_PROCESS) if args.lxml else []):
        out = generate.DEFAULT_OUT / ("callgrind.%s.%s.out" % (document.stem, operation))
        if not (args.reuse and out.exists()):
            print("profiling %s on %s ..." % (operation, args.document), file=sys.stderr, flush=True)
            run_callgrind(operation, document, out)
        if operation in WHOLE_PROCESS:
            totals[operation] = totals_line(out)
        else:
            profiles[operation] = Profile(out)
            totals[operation] = profiles[operation].total
    if args.lxml:
        totals["lxml"] -= totals.pop("startup")

    baseline = totals["libxml2"]
    lines = ["## Instructions per operation on `%s` (%d bytes)" % (args.document, size), "",
             "| operation | instructions | per input byte | × bare libxml2 |", "|---|---|---|---|"]
    for operation, total in totals.items():
        lines.append("| `%s` | %s | %.1f | %.2f |" % (operation, format(total, ","), total / size, total / baseline))
    lines.append("")
    for operation, profile in profiles.items():
        if operation not in YARDSTICKS:
            lines += tables(operation, profile, args.top)
    text = "\n".join(lines)
    print(text)
    if args.output:
        args.output.write_text(text)


if __name__ == "__main__":
    main()
