"""What read_bulk_arrow costs against read_bulk + row dicts + pa.Table.from_pylist,
on a weekly-like file of the corpus's real v4 grants.

    PYTHONPATH=build python3 bench/arrow_bulk.py [--copies N] [--repeats N] [--skip-parquet]

Writes bench/out/weekly_grant_v4_xN.xml, the corpus's grant_v4* publications
concatenated N times (3 by default; bench/weekly.py), then measures, each run a process of its
own and the runs of one comparison interleaved, the load (`uptime`) printed
beside each figure:

- CPU of the whole process (time.process_time) for the same columns, both
  Markdown flavours: read_bulk with each document's getters, claims, citations
  and Markdown made into a row dict and pa.Table.from_pylist per 1024 rows,
  against read_bulk_arrow read with pyarrow.RecordBatchReader; their ratio;
- the share of the process CPU spent on the calling thread (time.thread_time)
  by read_bulk_arrow;
- read_bulk_arrow's wall time with jobs=1 and jobs=2;
- the peak resident size of a read_bulk_arrow process with the default batch
  size (jobs=1 and 2), beside the size of the interpreter with pyarrow alone;
- examples/parquet_year.py's task end to end, one task alone in a process
  (the old one: read_bulk + row dicts + write_table, from git's main branch;
  the new one: read_bulk_arrow + write_batch), MB of XML per CPU second and
  per wall second; and the whole example on a LocalCluster of 1 and 2 worker
  processes (CPU of every process of the run).
"""
import argparse
import pathlib
import resource
import statistics
import subprocess
import sys
import tempfile

BENCH = pathlib.Path(__file__).resolve().parent
ROOT = BENCH.parent
sys.path.insert(0, str(BENCH))

from weekly import bulk_file  # noqa: E402

BASELINE = """
import sys, time, pyarrow as pa, quillmark
getters = [n for n in vars(quillmark.Document) if not n.startswith("_") and n not in ("to_markdown", "to_dict")]
fields = [n for n in vars(quillmark.Citation) if not n.startswith("_")]
def row(item):
    values = {"source": item.source, "index": item.index, "offset": item.offset, "error": item.error}
    document = item.document
    if document is not None:
        for name in getters:
            value = getattr(document, name)
            if name == "claims":
                value = [{"number": c.number, "text": c.text} for c in value]
            elif name == "citations":
                value = [{f: getattr(c, f) for f in fields} for c in value]
            values[name] = value
        values["markdown"] = document.to_markdown()
        values["markdown_gfm"] = document.to_markdown(flavor="gfm")
    return values
schema = pa.schema(quillmark.read_bulk_arrow(sys.argv[1]))
cpu, thread, wall = time.process_time(), time.thread_time(), time.perf_counter()
rows = []
for item in quillmark.read_bulk(sys.argv[1], jobs=int(sys.argv[2])):
    rows.append(row(item))
    if len(rows) == 1024:
        pa.Table.from_pylist(rows, schema=schema)
        rows = []
pa.Table.from_pylist(rows, schema=schema)
print(time.process_time() - cpu, time.thread_time() - thread, time.perf_counter() - wall)
"""

ARROW = """
import sys, time, pyarrow as pa, quillmark
cpu, thread, wall = time.process_time(), time.thread_time(), time.perf_counter()
for batch in pa.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(sys.argv[1], jobs=int(sys.argv[2]))):
    pass
print(time.process_time() - cpu, time.thread_time() - thread, time.perf_counter() - wall)
"""

PEAK = """
import resource, sys, pyarrow as pa, quillmark
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
if sys.argv[2] != "0":
    for batch in pa.RecordBatchReader.from_stream(quillmark.read_bulk_arrow(sys.argv[1], jobs=int(sys.argv[2]))):
        pass
print(before, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
"""

# One task of the example, alone: the whole file in one process.
TASK = """
import resource, sys, time
sys.path.insert(0, sys.argv[1])
import parquet_year
cpu, wall = time.process_time(), time.perf_counter()
if hasattr(parquet_year, "part_to_parquet"):
    parquet_year.part_to_parquet(sys.argv[2], None, sys.argv[3])
else:
    parquet_year.week_to_parquet(sys.argv[2], sys.argv[4])
print(time.process_time() - cpu, 0, time.perf_counter() - wall)
"""

# The example on a cluster of worker processes: the CPU of every process,
# the workers included once they have ended.
CLUSTER = """
import resource, sys, time
sys.path.insert(0, sys.argv[1])
import parquet_year
from dask.distributed import Client, LocalCluster
workers, paths = int(sys.argv[3]), sys.argv[4:]
wall = time.perf_counter()
with LocalCluster(n_workers=workers, threads_per_worker=1, dashboard_address=None) as cluster, Client(cluster) as client:
    parquet_year.convert_year(paths, sys.argv[2], client)
wall = time.perf_counter() - wall
usage = [resource.getrusage(who) for who in (resource.RUSAGE_SELF, resource.RUSAGE_CHILDREN)]
print(sum(u.ru_utime + u.ru_stime for u in usage), 0, wall)
"""


def load() -> str:
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.split("load average:")[1].strip()


def run(script, *arguments):
    """CPU, calling-thread CPU and wall seconds of one run, in a process of its own."""
    output = subprocess.run([sys.executable, "-c", script, *map(str, arguments)], check=True,
                            capture_output=True, text=True).stdout
    return tuple(float(value) for value in output.split())


def interleaved(runs: dict, repeats: int) -> dict:
    """Each run `repeats` times, the runs taking turns; the median of each figure."""
    samples = {name: [] for name in runs}
    for _ in range(repeats):
        for name, (script, arguments) in runs.items():
            samples[name].append(run(script, *arguments))
    return {name: tuple(statistics.median(values) for values in zip(*taken)) for name, taken in samples.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--copies", type=int, default=3)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--skip-parquet", action="store_true")
    args = parser.parse_args()
    weekly = bulk_file("grant_v4", args.copies)
    mb = weekly.stat().st_size / 1e6
    print(f"{weekly.name}: {mb:.1f} MB of real v4 grants; median of {args.repeats} interleaved runs\n")

    print("| what | jobs | CPU s | calling thread | wall s | MB/s per CPU s | load |")
    print("|---|---|---|---|---|---|---|")
    figures = interleaved({
        ("read_bulk + row dicts + from_pylist", 1): (BASELINE, (weekly, 1)),
        ("read_bulk_arrow, both flavours", 1): (ARROW, (weekly, 1)),
        ("read_bulk_arrow, both flavours", 2): (ARROW, (weekly, 2)),
    }, args.repeats)
    for (what, jobs), (cpu, thread, wall) in figures.items():
        print(f"| {what} | {jobs} | {cpu:.2f} | {100 * thread / cpu:.0f}% | {wall:.2f} | {mb / cpu:.1f} | {load()} |")
    base = figures[("read_bulk + row dicts + from_pylist", 1)][0]
    arrow = figures[("read_bulk_arrow, both flavours", 1)]
    two = figures[("read_bulk_arrow, both flavours", 2)]
    print(f"\nArrow CPU / baseline CPU: {arrow[0] / base:.2f}; calling thread share {100 * arrow[1] / arrow[0]:.0f}%;"
          f" jobs=2 wall speed-up {arrow[2] / two[2]:.2f}x (load {load()})\n")

    print("| peak resident size | jobs | MiB | above pyarrow alone | load |")
    print("|---|---|---|---|---|")
    for jobs in (1, 2):
        before, peak = run(PEAK, weekly, jobs)
        print(f"| read_bulk_arrow, batch_size=1024 | {jobs} | {peak / 1024:.0f} | {(peak - before) / 1024:.0f} | {load()} |")

    if args.skip_parquet:
        return
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        old = scratch / "old"
        old.mkdir()
        (old / "parquet_year.py").write_bytes(
            subprocess.run(["git", "-C", str(ROOT), "show", "main:examples/parquet_year.py"], check=True,
                           capture_output=True).stdout)
        print("\n| parquet_year.py | workers | CPU s | wall s | MB/s per CPU s | MB/s per wall s | load |")
        print("|---|---|---|---|---|---|---|")
        tasks = interleaved({
            ("before (read_bulk, one task)", 1): (TASK, (old, weekly, scratch / "old.parquet", scratch)),
            ("after (read_bulk_arrow, one task)", 1): (TASK, (ROOT / "examples", weekly, scratch / "new.parquet", scratch)),
        }, args.repeats)
        for (what, workers), (cpu, _, wall) in tasks.items():
            print(f"| {what} | {workers} | {cpu:.2f} | {wall:.2f} | {mb / cpu:.1f} | {mb / wall:.1f} | {load()} |")
        second = scratch / "weekly_v4_b.xml"
        second.symlink_to(weekly)
        copies = [weekly, second]
        for workers in (1, 2):
            for what, folder in (("before, LocalCluster", old), ("after, LocalCluster", ROOT / "examples")):
                out = scratch / f"out-{what[:5]}-{workers}"
                cpu, _, wall = run(CLUSTER, folder, out, workers, *copies)
                print(f"| {what} (2 weekly files) | {workers} | {cpu:.2f} | {wall:.2f} | {2 * mb / cpu:.1f} |"
                      f" {2 * mb / wall:.1f} | {load()} |")


if __name__ == "__main__":
    main()
