"""Nothing lost, nothing silently wrong: the command checks every checksum an
archive carries and takes back what a corrupt member gave, reads on past a
damaged zip member, counts sparse holes instead of reading them, and
attributes every failed write to the document whose bytes it lost."""
import json
import os
import resource
import signal
import subprocess
import time
import zipfile

import pytest

from archives import write_archive, write_sparse_tar
from cli_runner import CLI, run_cli
from documents import APPLICATION, EXAMPLE, GRANT, UNNUMBERED

FORMATS = ["markdown", "jsonl", "record"]


def outputs(directory):
    return sorted(path.name for path in directory.iterdir()) if directory.exists() else []


def summary(result):
    return result.stderr.decode().splitlines()[-1]


# ----- checksums ------------------------------------------------------------------

def stored_zip(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as archive:
        for name, content in members.items():
            archive.writestr(name, content)
    return path


def change_byte(path, marker, offset=0):
    """Changes one byte of the first `marker` in the file: a digit of a number."""
    data = bytearray(path.read_bytes())
    at = data.index(marker) + offset
    data[at] = ord("0") if data[at] != ord("0") else ord("1")
    path.write_bytes(data)


@pytest.mark.parametrize("output", FORMATS + ["standard output"])
def test_zip_member_with_a_changed_byte_is_a_checksum_mismatch_and_gives_nothing(tmp_path, output):
    archive = stored_zip(tmp_path / "week.zip", {"ipg.xml": GRANT + EXAMPLE, "ipa.xml": APPLICATION})
    change_byte(archive, b"<doc-number>09876543</doc-number>", len("<doc-number>0987654"))
    options = ["-o", "-"] if output == "standard output" else ["--format", output, "-o", tmp_path / "out"]
    result = run_cli("convert", archive, *options)
    assert result.returncode == 1
    mismatch = f"quillmark: error: {archive}!ipg.xml: checksum mismatch"
    if output == "standard output":
        mismatch += "; 2 documents already written to standard output came from it"
    assert result.stderr.decode().splitlines()[:-1] == [mismatch]
    assert summary(result).startswith("quillmark: 1 document converted, 2 failed, 1 member failed (1 input, 2 archive members")
    expected = {"markdown": ["US20150012345A1.md"], "jsonl": ["ipa.jsonl"], "record": ["ipa.jsonl"]}
    assert outputs(tmp_path / "out") == expected.get(output, [])


# The run's one output file takes back what a corrupt member gave as well:
# the JSON Lines file is cut back to the rows before it, the Markdown file's
# document is never written.
@pytest.mark.parametrize("output", ["week.jsonl", "one.md"])
def test_the_one_output_file_gives_nothing_of_a_corrupt_member(tmp_path, output):
    members = {"ipg.xml": GRANT + EXAMPLE, "ipa.xml": APPLICATION} if output == "week.jsonl" else {"ipg.xml": GRANT}
    archive = stored_zip(tmp_path / "week.zip", members)
    change_byte(archive, b"<doc-number>09876543</doc-number>", len("<doc-number>0987654"))
    result = run_cli("convert", archive, "-o", tmp_path / output)
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[0] == f"quillmark: error: {archive}!ipg.xml: checksum mismatch"
    if output == "one.md":
        assert outputs(tmp_path) == ["week.zip"]
        return
    rows = [json.loads(line) for line in (tmp_path / output).read_text(encoding="utf-8").splitlines()]
    assert [(row["source"], row["index"], row["offset"], row["publication_number"]) for row in rows] == [
        (f"{archive}!ipa.xml", 1, 0, "US20150012345A1")]


def gzip_with_bad_trailer(path, field):
    write_archive(path, {path.name: GRANT + APPLICATION} if path.name.endswith(".xml.gz")
                  else {"ipg.xml": GRANT, "ipa.xml": APPLICATION})
    data = bytearray(path.read_bytes())
    data[-8 if field == "crc" else -4] ^= 1
    path.write_bytes(data)
    return path


@pytest.mark.parametrize("name, field, report", [
    ("ipg.xml.gz", "crc", "{archive}!ipg.xml: checksum mismatch"),
    ("ipg.xml.gz", "length", "{archive}!ipg.xml: checksum mismatch"),
    ("week.tar.gz", "crc", "{archive}: checksum mismatch"),  # any member may hold the changed bytes
])
@pytest.mark.parametrize("command", ["convert", "detect"])
def test_gzip_trailer_is_checked(tmp_path, name, field, report, command):
    archive = gzip_with_bad_trailer(tmp_path / name, field)
    result = run_cli(command, archive, "--format", "jsonl", "-o", tmp_path / "out") if command == "convert" \
        else run_cli(command, archive)
    assert result.returncode == 1
    line = "quillmark: error: " + report.format(archive=archive)
    if command == "detect":
        line += "; 2 documents already written to standard output came from it"
    assert result.stderr.decode().splitlines()[:-1] == [line]
    assert "0 documents" in summary(result) and ", 2 failed" in summary(result)
    assert outputs(tmp_path / "out") == []


# ----- damaged zip members ------------------------------------------------------

def test_corrupt_middle_zip_member_leaves_the_third_converted(tmp_path):
    members = {"first.xml": GRANT, "second.xml": EXAMPLE, "third.xml": APPLICATION}
    archive = write_archive(tmp_path / "week.zip", members)
    data = bytearray(archive.read_bytes())
    with zipfile.ZipFile(archive) as listing:
        info = listing.getinfo("second.xml")
    start = info.header_offset + 30 + len(info.filename) + len(info.extra)
    data[start] = 0x07  # a last block of the reserved type 3
    archive.write_bytes(data)
    result = run_cli("convert", archive, "-o", tmp_path / "out")
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[:-1] == [
        f"quillmark: error: {archive}!second.xml: ZIP decompression failed (-3)"
    ]
    assert outputs(tmp_path / "out") == ["US20150012345A1.md", "US9876543B2.md"]
    assert ", 1 member failed (1 input, 3 archive members" in summary(result)


# ----- sparse members -------------------------------------------------------------

TEBIBYTE = 2**40


@pytest.mark.parametrize("chunks, size, reports", [
    # a hole in the middle: the document before it is over the limit, the one after it converts
    ([(0, GRANT), (TEBIBYTE - len(APPLICATION), APPLICATION)], TEBIBYTE,
     [f"document 1 at byte 0: document of {TEBIBYTE - len(APPLICATION)} bytes is over --max-document-size (536870912 bytes)"]),
    # a hole at the end belongs to the member all the same
    ([(0, GRANT)], TEBIBYTE, [f"document 1 at byte 0: document of {TEBIBYTE} bytes is over --max-document-size (536870912 bytes)"]),
])
def test_sparse_member_of_a_tebibyte_is_counted_not_read(tmp_path, chunks, size, reports):
    archive = write_sparse_tar(tmp_path / "sparse.tar", "big.xml", chunks, size)
    assert archive.stat().st_size < 16 * 1024
    started = time.monotonic()
    result = run_cli("convert", archive, "--format", "jsonl", "-o", tmp_path / "out")
    assert time.monotonic() - started < 1
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[:-1] == [f"quillmark: error: {archive}!big.xml: {r}" for r in reports]
    converted = (tmp_path / "out" / "big.jsonl").read_bytes().count(b"\n") if len(chunks) > 1 else 0
    assert converted == len(chunks) - 1


def test_sparse_member_is_read_at_its_declared_size(tmp_path):
    archive = write_sparse_tar(tmp_path / "sparse.tar", "short.xml", [(0, GRANT)], len(GRANT) + 5000)
    result = run_cli("detect", archive, "--max-document-size", str(len(GRANT) + 1000))
    assert f"document of {len(GRANT) + 5000} bytes is over" in result.stdout.decode()


# ----- nested archives ------------------------------------------------------------

def test_archives_inside_an_archive_are_reported_one_by_one(tmp_path):
    inner = write_archive(tmp_path / "inner.zip", {"x.xml": GRANT}).read_bytes()
    members = {"a.xml": APPLICATION, "inner.zip": inner, "old.xml.gz": b"\x1f\x8b", "server.log.gz": b"\x1f\x8b"}
    archive = write_archive(tmp_path / "week.tar", members)
    result = run_cli("detect", archive)
    assert result.returncode == 1
    assert result.stderr.decode().splitlines() == [
        f"quillmark: error: {archive}!inner.zip: an archive inside an archive is not read",
        f"quillmark: error: {archive}!old.xml.gz: an archive inside an archive is not read",
        summary(result),
    ]
    assert summary(result).startswith("quillmark: 1 document detected, 0 failed, 2 members failed (1 input, 3 archive members")


# ----- write errors -------------------------------------------------------------

BULK = GRANT + APPLICATION + EXAMPLE


STANDARD_OUTPUT_COMMANDS = [["convert", "--format", f] for f in FORMATS] + [["detect"]]


# Standard output is the run's one output: when it fails, nothing more can
# be written, and the run stops at the first document with one message.
@pytest.mark.parametrize("device, message", [("/dev/full", "No space left on device")], ids=["full"])
@pytest.mark.parametrize("command", STANDARD_OUTPUT_COMMANDS, ids=str)
def test_standard_output_that_fails_stops_the_run_with_one_message(tmp_path, command, device, message):
    (tmp_path / "bulk.xml").write_bytes(BULK * 50)
    with open(device, "wb") as output:
        result = subprocess.run([CLI, command[0], tmp_path / "bulk.xml", *command[1:]], stdout=output,
                                stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 1
    lines = result.stderr.decode().splitlines()
    assert lines[0] == f"quillmark: error: cannot write standard output: {message}; the run is stopped"
    assert len(lines) == 2
    assert lines[1].startswith(f"quillmark: 0 documents {'converted' if command[0] == 'convert' else 'detected'}, 1 failed")


@pytest.mark.parametrize("arguments", [["--help"], ["convert", "--help"], ["detect", "-h"], ["--version"]], ids=str)
def test_help_and_version_check_their_writes(arguments):
    with open("/dev/full", "wb") as full:
        result = subprocess.run([CLI, *arguments], stdout=full, stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 1
    assert result.stderr.decode() == "quillmark: cannot write standard output: No space left on device\n"
    closed = closed_pipe_run([CLI, *arguments])
    assert (closed.returncode, closed.stderr) == (141, b"")


def closed_pipe_run(command):
    """Runs `command` with a standard output whose reader has already gone."""
    reader, writer = os.pipe()
    os.close(reader)
    try:
        return subprocess.run(command, stdout=writer, stderr=subprocess.PIPE, timeout=60)
    finally:
        os.close(writer)


def limited_file_size(limit):
    # The command is started as a shell would start it: SIGXFSZ kills unless
    # the command itself ignores it.
    def apply():
        signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return apply


# A file size limit stands for a full disk: the write that crosses it fails.
# The middle document is the largest; the one after it fits again.
@pytest.mark.parametrize("output_format", FORMATS)
def test_a_document_that_could_not_be_written_leaves_no_file_and_no_part_line(tmp_path, output_format):
    (tmp_path / "bulk.xml").write_bytes(APPLICATION + GRANT + UNNUMBERED)
    whole = run_cli("convert", tmp_path / "bulk.xml", "--format", output_format, "-o", tmp_path / "whole")
    assert whole.returncode == 0
    expected = {path.name: path.read_bytes() for path in (tmp_path / "whole").iterdir()}
    if output_format == "markdown":
        limit = max(len(expected["US20150012345A1.md"]), len(expected["bulk-3.md"]))
        del expected["US9876543B2.md"]
    else:
        lines = expected["bulk.jsonl"].splitlines(keepends=True)
        limit = len(lines[0]) + len(lines[2])
        expected["bulk.jsonl"] = lines[0] + lines[2]
    result = subprocess.run([CLI, "convert", tmp_path / "bulk.xml", "--format", output_format, "-o", tmp_path / "out"],
                            stderr=subprocess.PIPE, preexec_fn=limited_file_size(limit), timeout=60)
    assert result.returncode == 1
    report = result.stderr.decode().splitlines()
    assert len(report) == 2
    assert report[0].startswith(f"quillmark: error: {tmp_path}/bulk.xml: document 2 at byte {len(APPLICATION)}: cannot write ")
    assert report[0].endswith(": File too large")
    assert {path.name: path.read_bytes() for path in (tmp_path / "out").iterdir()} == expected


# One output for the whole run (-o FILE, or standard output redirected to a
# file): the record that crosses the limit is cut off again and the run
# stops there, with one message; the file holds the whole records before it.
@pytest.mark.parametrize("output", ["all.jsonl", "record.jsonl", "redirected", "one.md"])
def test_the_one_output_file_at_its_size_limit_keeps_whole_records(tmp_path, output):
    documents = [APPLICATION, GRANT, UNNUMBERED] * 3
    if output == "one.md":
        documents = [GRANT]
    (tmp_path / "bulk.xml").write_bytes(b"".join(documents))
    options = {"all.jsonl": ["-o", tmp_path / output], "record.jsonl": ["-o", tmp_path / output, "--format", "record"],
               "redirected": ["--format", "jsonl"], "one.md": ["-o", tmp_path / output]}[output]
    whole = run_cli("convert", tmp_path / "bulk.xml", *options)
    assert whole.returncode == 0, whole.stderr
    complete = whole.stdout if output == "redirected" else (tmp_path / output).read_bytes()
    (tmp_path / output).unlink(missing_ok=True)
    limit = len(complete) // 2
    with open(tmp_path / "redirected", "wb") as stdout:
        result = subprocess.run([CLI, "convert", tmp_path / "bulk.xml", *options], stdout=stdout,
                                stderr=subprocess.PIPE, preexec_fn=limited_file_size(limit), timeout=60)
    assert result.returncode == 1
    report = result.stderr.decode().splitlines()
    path = "standard output" if output == "redirected" else tmp_path / output
    if output == "one.md":
        assert report[0] == f"quillmark: error: cannot write {path}: File too large"
        assert not (tmp_path / output).exists()
        return
    assert report[0] == f"quillmark: error: cannot write {path}: File too large; the run is stopped"
    assert report[1].startswith("quillmark: ") and len(report) == 2
    written = (tmp_path / output).read_bytes()
    assert complete.startswith(written) and written.endswith(b"\n") and 0 < len(written) <= limit


# A reader that has gone ends the run as it ends cat or jq: quietly, with
# the status of a process killed by SIGPIPE.
@pytest.mark.parametrize("command", [["convert", "-j1"], ["convert", "--format", "jsonl"], ["detect"]], ids=str)
def test_reader_gone_ends_the_run_quietly(tmp_path, command):
    (tmp_path / "bulk.xml").write_bytes(BULK * 400)
    process = subprocess.Popen([CLI, command[0], tmp_path / "bulk.xml", *command[1:]],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    process.stdout.read(100)
    process.stdout.close()
    stderr = process.stderr.read().decode()
    assert process.wait(timeout=60) == 141
    assert stderr == ""
    assert closed_pipe_run([CLI, command[0], tmp_path / "bulk.xml", *command[1:]]).returncode == 141


# A pipe left non-blocking by whoever shares it fills up; the command waits
# for its reader rather than failing.
def test_a_non_blocking_standard_output_is_waited_on(tmp_path):
    (tmp_path / "bulk.xml").write_bytes(BULK * 20)
    expected = run_cli("convert", tmp_path / "bulk.xml", "--format", "jsonl", "-j1", "-o", "-").stdout
    assert expected.count(b"\n") == 60
    reader, writer = os.pipe()
    os.set_blocking(writer, False)
    process = subprocess.Popen([CLI, "convert", tmp_path / "bulk.xml", "--format", "jsonl", "-j1", "-o", "-"],
                               stdout=writer, stderr=subprocess.PIPE)
    os.close(writer)
    time.sleep(0.5)  # the pipe is full long before
    received = b""
    while chunk := os.read(reader, 65536):
        received += chunk
    os.close(reader)
    assert process.wait(timeout=60) == 0, process.stderr.read()
    assert received == expected


# Only regular files are written, and what else is in a file's place is named.
@pytest.mark.parametrize("output", ["fifo.md", "fifo.jsonl", "dir/US9876543B2.md", "dir/ipg.jsonl"])
def test_a_named_pipe_where_an_output_file_goes_is_named(tmp_path, output):
    (tmp_path / "dir").mkdir()
    os.mkfifo(tmp_path / output)
    (tmp_path / "ipg.xml").write_bytes(GRANT)
    target = tmp_path / output if output.startswith("fifo") else tmp_path / "dir"
    options = ["--format", "jsonl"] if output == "dir/ipg.jsonl" else []
    result = run_cli("convert", tmp_path / "ipg.xml", "-o", target, *options)
    assert result.returncode == 1
    assert (f"cannot write {tmp_path / output}: a named pipe (FIFO) is in its place; only regular files are written"
            in result.stderr.decode())


@pytest.mark.parametrize("output_format", ["markdown", "jsonl"])
def test_output_files_never_follow_a_link(tmp_path, output_format):
    (tmp_path / "out").mkdir()
    (tmp_path / "elsewhere").write_text("kept")
    name = "US9876543B2.md" if output_format == "markdown" else "ipg.jsonl"
    os.symlink(tmp_path / "elsewhere", tmp_path / "out" / name)
    (tmp_path / "out" / "US20150012345A1.md").write_text("replaced")
    (tmp_path / "ipg.xml").write_bytes(GRANT + APPLICATION)
    result = run_cli("convert", tmp_path / "ipg.xml", "--format", output_format, "-o", tmp_path / "out")
    assert result.returncode == 1
    assert f"cannot write {tmp_path}/out/{name}: a symbolic link is in its place" in result.stderr.decode()
    assert (tmp_path / "elsewhere").read_text() == "kept"
    if output_format == "markdown":
        assert (tmp_path / "out" / "US20150012345A1.md").read_text() != "replaced"


# ----- templates and threads ------------------------------------------------------

@pytest.mark.parametrize("template, message", [
    ("directory", "--template {path} is not a regular file"),
    ("/dev/zero", "--template {path} is not a regular file"),
    ("fifo", "--template {path} is not a regular file"),
    ("large.md", "--template {path} is larger than 1 MiB"),
])
def test_template_is_a_regular_file_of_at_most_a_mebibyte(tmp_path, template, message):
    path = tmp_path / template if not template.startswith("/") else template
    if template == "directory":
        path.mkdir()
    elif template == "fifo":
        os.mkfifo(path)
    elif template == "large.md":
        path.write_text("{{title}}\n" * (2**20 // 10 + 1))
    (tmp_path / "ipg.xml").write_bytes(GRANT)
    result = run_cli("convert", tmp_path / "ipg.xml", "--template", path, "-o", tmp_path / "out")
    assert result.returncode == 2
    assert result.stderr.decode() == f"quillmark: {message.format(path=path)}\n"
    assert outputs(tmp_path / "out") == []


def limited_address_space():
    resource.setrlimit(resource.RLIMIT_AS, (2**30, 2**30))


# A thousand threads' stacks do not fit in 1 GiB of address space.
@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""), reason="AddressSanitizer needs its address space")
def test_threads_that_cannot_start_are_a_clear_error(tmp_path):
    (tmp_path / "ipg.xml").write_bytes(GRANT)
    result = subprocess.run([CLI, "convert", tmp_path / "ipg.xml", "-j", "1000", "-o", tmp_path / "out"],
                            stderr=subprocess.PIPE, preexec_fn=limited_address_space, timeout=60)
    assert result.returncode == 2
    assert result.stderr.decode() == "quillmark: cannot start 1000 conversion threads: Resource temporarily unavailable\n"
