"""Times quillmark.read_bulk against the quillmark command on one bulk file and its zip.

    python3 bench/read_bulk.py [--cli PATH] [--document NAME] [--copies N] [--repeats N]

Writes a bulk file of N copies of one generated document (under bench/out/,
50 copies of a 1 MB grant by default) and a zip of it, then prints the median
wall-clock time and MB/s of:

- the command converting it to Markdown on standard output (thrown away),
  with --jobs 1 and --jobs 2;
- read_bulk with jobs=1 and jobs=2, each document's Markdown made with
  Document.to_markdown() as it comes: the same work as the command's;
- read_bulk alone (parsing only), jobs=1 and jobs=2.

Each timing is a process of its own: the command's whole run, and the loop
over read_bulk inside a started interpreter (its start-up left out).
"""
import argparse
import pathlib
import statistics
import subprocess
import sys
import time
import zipfile

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import generate  # noqa: E402

# The loop alone is timed, as a program that has already started would run it.
READ = """
import sys, time, quillmark
render = sys.argv[3] == "markdown"
start = time.perf_counter()
for item in quillmark.read_bulk(sys.argv[1], jobs=int(sys.argv[2])):
    if item.document is None:
        sys.exit(item.error)
    if render:
        item.document.to_markdown()
print(time.perf_counter() - start)
"""


def timed(command):
    """The command's wall-clock time, or the time read_bulk's loop printed."""
    if command[0] == sys.executable:
        return float(subprocess.run(command, check=True, capture_output=True).stdout)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=pathlib.Path, default=BENCH.parent / "build-dev" / "quillmark")
    parser.add_argument("--document", default="grant_v45_1mb.xml")
    parser.add_argument("--copies", type=int, default=50)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    bulk = generate.bulk_file(args.document, args.copies)
    archive = bulk.with_suffix(".zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as packed:
        packed.write(bulk, bulk.name)
    size = bulk.stat().st_size
    print("%d copies of %s: %.1f MB, zip %.1f MB" % (args.copies, args.document, size / 1e6, archive.stat().st_size / 1e6))
    print("| input | what | jobs | wall s | MB/s |")
    print("|---|---|---|---|---|")
    for path in (bulk, archive):
        for jobs in (1, 2):
            rows = [
                ("command, Markdown", [str(args.cli), "convert", str(path), "-o", "-", "--jobs", str(jobs)]),
                ("read_bulk + to_markdown", [sys.executable, "-c", READ, str(path), str(jobs), "markdown"]),
                ("read_bulk, parse only", [sys.executable, "-c", READ, str(path), str(jobs), "parse"]),
            ]
            for what, command in rows:
                wall = statistics.median(timed(command) for _ in range(args.repeats))
                print("| %s | %s | %d | %.3f | %.0f |" % (path.suffix, what, jobs, wall, size / 1e6 / wall))


if __name__ == "__main__":
    main()
