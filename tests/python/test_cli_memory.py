"""The command's memory is bounded by --max-document-size whatever the input:
a document over the limit is reported by its size and its bytes are dropped
as they stream past, and so is a file without any document boundary.

Each input is generated while it is written to the command's standard input,
or compressed into an archive, so nothing large touches the disk; the peak
resident size is the child's own, read with wait4."""
import gzip
import os
import subprocess
import sys
import tempfile
import zipfile

import pytest

from cli_runner import CLI
from documents import APPLICATION, APS, GRANT

LIMIT = 128 * 2**20
# Past the limit by more than the limit itself: a buffer that doubled as it
# grew, or that held the document whole, would show.
OVERSIZED = 300 * 2**20
# The command's own code, one read chunk, the small neighbours and glibc's
# kept heap top come on top of the one document it may hold.
ALLOWANCE = 64 * 2**20
# Under AddressSanitizer (.ci/sanitize) freed memory is held in quarantine,
# so the peak measures the sanitizer rather than the command.
SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")

XML_LINE = b"<p>" + b"x" * 1020 + b"</p>\n"
APS_LINE = b"PAR  " + b"z" * 1018 + b"\n"
APS_THREE = APS.read_bytes()
APS_PATENTS = APS_THREE.split(b"\n", 1)[1]  # without the header line


def filler(line: bytes, size: int):
    block = line * (2**20 // len(line))
    for _ in range(size // len(block)):
        yield block


def oversized_xml():
    yield b'<?xml version="1.0" encoding="UTF-8"?>\n<us-patent-grant lang="EN" dtd-version="v4.5 2014-04-03">\n'
    yield from filler(XML_LINE, OVERSIZED)
    yield b"</us-patent-grant>\n"


def oversized_aps():
    yield b"PATN\nWKU  040000001\n"
    yield from filler(APS_LINE, OVERSIZED)


def no_boundary():
    yield from filler(XML_LINE, OVERSIZED)


# Runs the command from a small interpreter of its own and prints its exit
# status and peak resident size: a child's peak starts from its parent's size
# at the fork, and pytest's own is large and varies.
SPAWN = """
import os, sys
pid = os.posix_spawn(sys.argv[1], sys.argv[1:], os.environ)
_, status, usage = os.wait4(pid, 0)
print(os.waitstatus_to_exitcode(status), usage.ru_maxrss * 1024)
"""


def stream_through(arguments, chunks):
    """Runs the command on standard input fed from `chunks`, with its output
    written to a directory; returns its exit status, standard error and peak
    resident size in bytes."""
    assert CLI is not None, "the quillmark command was not found; set QUILLMARK_CLI to its path"
    with tempfile.TemporaryFile() as report:
        process = subprocess.Popen([sys.executable, "-c", SPAWN, str(CLI), *map(str, arguments)],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=report)
        with process.stdin:
            for chunk in chunks:
                process.stdin.write(chunk)
        stdout = process.stdout.read()
        process.wait()
        report.seek(0)
        stderr = report.read().decode()
    assert process.returncode == 0, stderr
    status, peak = map(int, stdout.split())
    return status, stderr, peak


@pytest.mark.parametrize(
    "before, oversized, after, index, converted",
    [
        (GRANT, oversized_xml, APPLICATION, 2, {"US9876543B2.md", "US20150012345A1.md"}),
        (APS_THREE, oversized_aps, APS_PATENTS, 4, {"US3930584A.md", "USRE30284E.md", "USRE30284E-2.md"}),
        (b"", no_boundary, b"", 1, set()),
    ],
    ids=["xml-between-neighbours", "aps-between-neighbours", "no-boundary-at-all"],
)
def test_oversized_document_is_skipped_within_the_memory_bound(tmp_path, before, oversized, after, index, converted):
    size = sum(len(chunk) for chunk in oversized())
    status, report, peak = stream_through(
        ["convert", "-", "-o", tmp_path / "out", "--jobs", "2", "--max-document-size", "128M"],
        [before, *oversized(), after])
    assert status == 1
    assert report.splitlines()[0] == (f"quillmark: error: <stdin>: document {index} at byte {len(before)}: "
                                      f"document of {size} bytes is over --max-document-size ({LIMIT} bytes)")
    assert converted <= {path.name for path in (tmp_path / "out").iterdir()}
    assert SANITIZED or peak < LIMIT + ALLOWANCE, f"peak resident size {peak / 2**20:.0f} MiB"


def test_a_document_of_the_limit_is_converted_and_one_byte_more_is_not(tmp_path):
    status, report, _ = stream_through(
        ["convert", "-", "-o", tmp_path / "out", "--max-document-size", len(APPLICATION)],
        [APPLICATION, APPLICATION.replace(b"</us-patent-application>", b" </us-patent-application>")])
    assert (status, [path.name for path in (tmp_path / "out").iterdir()]) == (1, ["US20150012345A1.md"]), report
    assert f"document 2 at byte {len(APPLICATION)}: document of {len(APPLICATION) + 1} bytes is over" in report


def write_compressed(path, chunks):
    """A zip of one member, or a gzip file, written as the chunks come."""
    if path.suffix == ".zip":
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive, archive.open("bomb.xml", "w") as member:
            for chunk in chunks:
                member.write(chunk)
    else:
        with gzip.open(path, "wb") as member:
            for chunk in chunks:
                member.write(chunk)


@pytest.mark.parametrize("name", ["bomb.zip", "bomb.xml.gz"])
def test_an_archive_member_is_held_no_more_than_a_file(tmp_path, name):
    # A few hundred KiB that unpack to 300 MiB: the limit, not the archive,
    # bounds what the command holds.
    archive = tmp_path / name
    write_compressed(archive, [GRANT, *oversized_xml(), APPLICATION])
    size = sum(len(chunk) for chunk in oversized_xml())
    status, report, peak = stream_through(
        ["convert", archive, "-o", tmp_path / "out", "--jobs", "2", "--max-document-size", "128M"], [])
    assert status == 1
    assert report.splitlines()[0] == (f"quillmark: error: {archive}!bomb.xml: document 2 at byte {len(GRANT)}: "
                                      f"document of {size} bytes is over --max-document-size ({LIMIT} bytes)")
    assert {path.name for path in (tmp_path / "out").iterdir()} == {"US9876543B2.md", "US20150012345A1.md"}
    assert SANITIZED or peak < LIMIT + ALLOWANCE, f"peak resident size {peak / 2**20:.0f} MiB"
