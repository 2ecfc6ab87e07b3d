"""Peak memory of one operation on one document, measured in this process.

    python3 bench/memory_probe.py OPERATION PATH SOURCE_FORMAT

OPERATION is parse, parse_to_markdown, libxml2 or lxml (the baseline for
SOURCE_FORMAT, a detect_format result). Prints one JSON
object: the resident set just before the operation ("baseline") and its
peak while the operation runs ("peak"), in bytes. The peak of parse
includes the Document it returns.

The operation runs once untimed first, so code pages and allocator arenas
are in place, as in a process that converts file after file; free heap is
then handed back to the system and the kernel's peak counter is reset. The
measured run gets a freshly decoded str, so it pays for the UTF-8 copy that
the module makes of a non-ASCII str.
"""

import ctypes
import gc
import json
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))


def status_bytes(field):
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1]) * 1024
    raise RuntimeError("no %s in /proc/self/status" % field)


def operation(name, source_format):
    """The operation and a function making its argument from the file's bytes."""
    if name in ("parse", "parse_to_markdown"):
        import quillmark
        return getattr(quillmark, name), lambda data: data.decode("utf-8")
    if name == "libxml2":
        from yardsticks import Libxml2
        return Libxml2().parse, bytes
    if name == "lxml":
        from yardsticks import lxml_baseline
        return lxml_baseline(source_format), bytes
    raise SystemExit("unknown operation %r" % name)


def main():
    name, path, source_format = sys.argv[1:4]
    data = pathlib.Path(path).read_bytes()
    run, argument_of = operation(name, source_format)
    warm = run(argument_of(data))
    del warm
    argument = argument_of(data)
    gc.collect()
    ctypes.CDLL("libc.so.6").malloc_trim(0)
    with open("/proc/self/clear_refs", "w") as clear:
        clear.write("5")  # resets the peak resident set to the current one
    baseline = status_bytes("VmRSS")
    result = run(argument)
    peak = status_bytes("VmHWM")
    del result
    print(json.dumps({"baseline": baseline, "peak": peak}))


if __name__ == "__main__":
    main()
