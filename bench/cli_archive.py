"""Times the quillmark command on a zip of bulk files against the same files unpacked.

    python3 bench/cli_archive.py [--cli PATH] [--document NAME] [--files N] [--copies N]
                                 [--jobs 1,2] [--repeats N]

Writes N bulk files of copies of one generated document and a zip of them
(deflated, as the USPTO ships its weekly files) under bench/out/, then
converts both ways to JSON Lines, the two runs of each round back to back.
Prints the median MB/s of each way, counted on the unpacked size, the
median of the per-round ratios (the zip must reach 90% of the files) and the
median CPU seconds of each way, which tell what the decompression costs when
the cores are busy.
"""

import argparse
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

import generate  # noqa: E402

TARGET = 0.9


def convert(cli, inputs, jobs):
    """Wall-clock and CPU (user and system) seconds of one run."""
    out = pathlib.Path(tempfile.mkdtemp(prefix="quillmark-bench-"))
    try:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([str(cli), "convert", *map(str, inputs), "--format", "jsonl", "-o", str(out), "--jobs", str(jobs)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        return wall, after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    finally:
        shutil.rmtree(out)


def write_inputs(document_name, files, copies):
    """The bulk files and the zip holding them."""
    document = (generate.DEFAULT_OUT / document_name).read_bytes()
    folder = generate.DEFAULT_OUT / ("archive-%dx%d-%s" % (files, copies, pathlib.Path(document_name).stem))
    folder.mkdir(exist_ok=True)
    bulk_files = []
    for number in range(files):
        path = folder / ("ipa%02d.xml" % number)
        path.write_bytes(b"\n".join([document] * copies))
        bulk_files.append(path)
    archive = folder / "weekly.zip"
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as writer:
        for path in bulk_files:
            writer.write(path, path.name)
    return bulk_files, archive


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=pathlib.Path, default=BENCH.parent / "build-dev" / "quillmark")
    parser.add_argument("--document", default="application_v44_1mb.xml")
    parser.add_argument("--files", type=int, default=4)
    parser.add_argument("--copies", type=int, default=15)
    parser.add_argument("--jobs", default="1,2")
    parser.add_argument("--repeats", type=int, default=7)
    args = parser.parse_args()
    generate.generate()
    bulk_files, archive = write_inputs(args.document, args.files, args.copies)
    size = sum(path.stat().st_size for path in bulk_files)
    print("%s: %d files of %d copies of %s, %.1f MB; zip %.1f MB" % (
        args.cli, args.files, args.copies, args.document, size / 1e6, archive.stat().st_size / 1e6))
    print("| jobs | files MB/s | zip MB/s | zip / files | target | files CPU s | zip CPU s |")
    print("|---|---|---|---|---|---|---|")
    for jobs in map(int, args.jobs.split(",")):
        rounds = []
        for _ in range(args.repeats):
            files_wall, files_cpu = convert(args.cli, bulk_files, jobs)
            zip_wall, zip_cpu = convert(args.cli, [archive], jobs)
            rounds.append((size / 1e6 / files_wall, size / 1e6 / zip_wall, files_wall / zip_wall, files_cpu, zip_cpu))
        files_rate, zip_rate, ratio, files_cpu, zip_cpu = (statistics.median(column) for column in zip(*rounds))
        print("| %d | %.0f | %.0f | %.2f | %s | %.2f | %.2f |" % (
            jobs, files_rate, zip_rate, ratio, "met" if ratio >= TARGET else "MISSED", files_cpu, zip_cpu))


if __name__ == "__main__":
    main()
