"""Times the quillmark command converting a bulk file, and counts its page faults.

    python3 bench/cli_bulk.py [--cli PATH] [--document NAME] [--copies N] [--repeats N]

Writes a bulk file of N copies of one generated document (under bench/out/),
converts it with --jobs 1 and --jobs 2, and prints the median wall-clock
time, MB/s, CPU times and minor page faults of each. Each is run twice: as
the command sets up its heap, and with MALLOC_TOP_PAD_ set to glibc's
default (128 KiB), which the command leaves alone, so that the two can be
compared.
"""

import argparse
import os
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import generate  # noqa: E402

GLIBC_DEFAULT_TOP_PAD = str(128 * 1024)


def convert(cli, bulk, jobs, environment):
    """Wall seconds, user and system CPU seconds and minor faults of one run."""
    out = pathlib.Path(tempfile.mkdtemp(prefix="quillmark-bench-"))
    try:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([str(cli), "convert", str(bulk), "-o", str(out), "--jobs", str(jobs)],
                       check=True, env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    finally:
        shutil.rmtree(out)
    return wall, after.ru_utime - before.ru_utime, after.ru_stime - before.ru_stime, after.ru_minflt - before.ru_minflt


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=pathlib.Path, default=BENCH.parent / "build-dev" / "quillmark")
    parser.add_argument("--document", default="application_v44_1mb.xml")
    parser.add_argument("--copies", type=int, default=60)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    bulk = generate.bulk_file(args.document, args.copies)
    size = bulk.stat().st_size
    print("%s: %d copies of %s, %.1f MB" % (args.cli, args.copies, args.document, size / 1e6))
    print("| heap | jobs | wall s | MB/s | user s | system s | minor faults |")
    print("|---|---|---|---|---|---|---|")
    for label, extra in (("as the command sets it up", {}), ("glibc's default", {"MALLOC_TOP_PAD_": GLIBC_DEFAULT_TOP_PAD})):
        environment = dict(os.environ, **extra)
        for jobs in (1, 2):
            runs = [convert(args.cli, bulk, jobs, environment) for _ in range(args.repeats)]
            wall, user, system, faults = (statistics.median(column) for column in zip(*runs))
            print("| %s | %d | %.3f | %.0f | %.3f | %.3f | %d |" % (label, jobs, wall, size / 1e6 / wall, user, system, faults))


if __name__ == "__main__":
    main()
