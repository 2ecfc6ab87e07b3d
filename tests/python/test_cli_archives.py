"""The quillmark command on archives: zip, tar, tar.gz and gz files are read
member by member and give what the same files unpacked give; members that
are not publications are passed over; broken documents, broken members and
broken archives are reported by archive and member, and the run goes on."""
import gzip
import json
import random
import re

import pytest

from archives import DIRECTORY, unpack, write_archive
from cli_runner import run_cli
from corpus_location import require_corpus
from documents import APPLICATION, APS, EXAMPLE, GRANT, ROOT, UNNUMBERED, parse_error

KINDS = ["zip", "tar", "tar.gz", "tgz"]
# Two weekly bulk files, an APS file and things that are not publications.
MEMBERS = {
    "ipg180123.xml": GRANT + APPLICATION + EXAMPLE,
    "sub": DIRECTORY,
    "sub/ipa150108.XML": APPLICATION + UNNUMBERED + UNNUMBERED,
    "sub/README.pdf": b"%PDF-1.4",
    "pftaps19760106_wk01.txt": APS.read_bytes(),
    "server.log.gz": b"\x1f\x8b",
}
TRUNCATED = EXAMPLE[: len(EXAMPLE) // 2]


def outputs(directory):
    return {path.name: path.read_bytes() for path in directory.iterdir()}


def unplaced(written):
    """The JSON Lines outputs with each row's source left out: a member's
    rows name the archive and the member, the unpacked file's its path; the
    index and offset within it are the same."""
    return {name: [{key: value for key, value in json.loads(line).items() if key != "source"}
                   for line in content.splitlines()] if name.endswith(".jsonl") else content
            for name, content in written.items()}


def convert_both_ways(tmp_path, archive, members, *options):
    """The command's run on the archive and on the same files unpacked."""
    plain = unpack(members, tmp_path / "unpacked")
    from_archive = run_cli("convert", archive, "-o", tmp_path / "from-archive", *options)
    from_files = run_cli("convert", *plain, "-o", tmp_path / "from-files", *options)
    return from_archive, from_files


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("output_format", ["markdown", "jsonl"])
def test_archive_converts_as_its_files_unpacked(tmp_path, kind, output_format):
    archive = write_archive(tmp_path / f"ipg180123.{kind}", MEMBERS)
    from_archive, from_files = convert_both_ways(tmp_path, archive, MEMBERS, "--format", output_format, "-j2")
    assert from_archive.returncode == from_files.returncode == 0, from_archive.stderr
    converted = outputs(tmp_path / "from-archive")
    assert unplaced(converted) == unplaced(outputs(tmp_path / "from-files"))
    expected = {"ipg180123.jsonl", "ipa150108.jsonl", "pftaps19760106_wk01.jsonl"}
    if output_format == "markdown":
        expected = {"US9876543B2.md", "US9876543B2-2.md", "US20150012345A1.md", "US20150012345A1-2.md",
                    "ipa150108-2.md", "ipa150108-3.md"}
    assert expected <= set(converted)
    assert from_archive.stderr.decode().startswith("quillmark: 9 documents converted, 0 failed (1 input, ")


@pytest.mark.parametrize("kind", KINDS)
def test_detect_names_archive_and_member(tmp_path, kind):
    archive = write_archive(tmp_path / f"weekly.{kind}", MEMBERS)
    result = run_cli("detect", archive)
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode().splitlines() == [
        f"{archive}!ipg180123.xml\t1\tUsptoGrantV45",
        f"{archive}!ipg180123.xml\t2\tUsptoApplicationV44",
        f"{archive}!ipg180123.xml\t3\tUsptoGrantV45",
        f"{archive}!sub/ipa150108.XML\t1\tUsptoApplicationV44",
        f"{archive}!sub/ipa150108.XML\t2\tUsptoGrantV47",
        f"{archive}!sub/ipa150108.XML\t3\tUsptoGrantV47",
        *(f"{archive}!pftaps19760106_wk01.txt\t{n}\tUsptoGrantApsGreenBook" for n in (1, 2, 3)),
    ]


@pytest.mark.parametrize("kind", KINDS)
def test_member_names_outside_ascii_are_kept(tmp_path, kind):
    archive = write_archive(tmp_path / f"wöchentlich.{kind}", {"année/brevet.xml": GRANT})
    result = run_cli("convert", archive, "--format", "jsonl", "-o", tmp_path / "out")
    assert result.returncode == 0, result.stderr
    assert list(outputs(tmp_path / "out")) == ["brevet.jsonl"]
    assert run_cli("detect", archive).stdout.decode() == f"{archive}!année/brevet.xml\t1\tUsptoGrantV45\n"


def test_gzip_file_is_one_member_named_after_it(tmp_path):
    members = {"ipg180123.xml": GRANT + APPLICATION + EXAMPLE}
    archive = write_archive(tmp_path / "ipg180123.xml.gz", members)
    from_archive, from_files = convert_both_ways(tmp_path, archive, members, "--format", "jsonl")
    assert from_archive.returncode == from_files.returncode == 0, from_archive.stderr
    assert unplaced(outputs(tmp_path / "from-archive")) == unplaced(outputs(tmp_path / "from-files"))
    assert list(outputs(tmp_path / "from-archive")) == ["ipg180123.jsonl"]
    rows = outputs(tmp_path / "from-archive")["ipg180123.jsonl"].splitlines()
    assert [json.loads(row)["source"] for row in rows] == [f"{archive}!ipg180123.xml"] * 3
    detected = run_cli("detect", archive).stdout.decode().splitlines()
    assert detected[0] == f"{archive}!ipg180123.xml\t1\tUsptoGrantV45"


@pytest.mark.parametrize("kind", KINDS + ["xml.gz"])
def test_broken_document_in_a_member_is_reported_and_the_rest_converted(tmp_path, kind):
    members = {"ipg180123.xml": GRANT + TRUNCATED + APPLICATION}
    archive = write_archive(tmp_path / f"ipg180123.{kind}", members)
    member = "ipg180123.xml"
    from_archive, from_files = convert_both_ways(tmp_path, archive, members)
    assert from_archive.returncode == 1
    assert outputs(tmp_path / "from-archive") == outputs(tmp_path / "from-files")
    assert sorted(outputs(tmp_path / "from-archive")) == ["US20150012345A1.md", "US9876543B2.md"]
    assert from_archive.stderr.decode().splitlines()[:-1] == [
        f"quillmark: error: {archive}!{member}: document 2 at byte {len(GRANT)}: {parse_error(TRUNCATED)}"
    ]


def cut(archive, fraction):
    data = archive.read_bytes()
    archive.write_bytes(data[: int(len(data) * fraction)])


# Each archive holds two bulk files and is cut in the second one's data; the
# gzip file holds one, cut in its second document.
# A zip without its central directory is read on in order, and tells where
# that ends.
@pytest.mark.parametrize(
    "kind, reports, first_documents",
    [
        ("tar", [r"{archive}!second\.xml: Truncated tar archive"], 2),
        ("tar.gz", [r"{archive}!second\.xml: truncated gzip input"], 2),
        ("zip", [r"{archive}!second\.xml: truncated member: its compressed data ends early", r"{archive}: Truncated input file .+"], 2),
        ("xml.gz", [r"{archive}!first\.xml: truncated gzip input"], 1),
    ],
)
def test_truncated_archive_is_reported_and_the_run_goes_on(tmp_path, kind, reports, first_documents):
    # Bytes that hardly compress, so that the cut falls among them.
    filler = b"<!-- " + bytes(random.Random(0).choices(range(97, 123), k=200_000)) + b" -->\n"
    members = {"first.xml": GRANT + APPLICATION, "second.xml": EXAMPLE + filler + APPLICATION}
    if kind == "xml.gz":
        members = {"first.xml": GRANT + APPLICATION + filler + EXAMPLE}
    archive = write_archive(tmp_path / f"first.{kind}", members)
    cut(archive, 0.8)
    (tmp_path / "after.xml").write_bytes(UNNUMBERED)
    result = run_cli("convert", archive, tmp_path / "after.xml", "--format", "jsonl", "-o", tmp_path / "out")
    assert result.returncode == 1
    lines = result.stderr.decode().splitlines()
    assert len(lines) == len(reports) + 1, lines
    for report, line in zip(reports, lines):
        assert re.fullmatch("quillmark: error: " + report.format(archive=re.escape(str(archive))), line)
    assert ", 1 member failed" in lines[-1] and " (2 inputs, " in lines[-1]
    written = outputs(tmp_path / "out")
    assert written["after.jsonl"].count(b"\n") == 1  # the next input is converted
    assert "second.jsonl" not in written  # an unfinished document is never converted
    assert written["first.jsonl"].count(b"\n") == first_documents


def test_a_gzipped_tar_cut_after_its_last_member_is_reported(tmp_path):
    # Only the tar's end padding and the gzip trailer are lost: the members
    # read whole, but no trailer vouches for them.
    archive = write_archive(tmp_path / "bulk.tar.gz", {"first.xml": GRANT + APPLICATION})
    archive.write_bytes(archive.read_bytes()[:-40])
    result = run_cli("convert", archive, "--format", "jsonl", "-o", tmp_path / "out")
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[0] == f"quillmark: error: {archive}: truncated gzip input"


def test_unreadable_member_is_reported_and_the_next_member_read(tmp_path):
    archive = write_archive(tmp_path / "method.zip", {"aes.xml": GRANT, "plain.xml": APPLICATION})
    data = bytearray(archive.read_bytes())
    directory = data.index(b"PK\x01\x02")
    for field in (8, directory + 10):  # compression method, in the local header and in the directory
        data[field : field + 2] = (99).to_bytes(2, "little")  # AES encryption
    archive.write_bytes(data)
    result = run_cli("detect", archive)
    assert result.returncode == 1
    assert result.stdout.decode() == f"{archive}!plain.xml\t1\tUsptoApplicationV44\n"
    assert result.stderr.decode().splitlines()[0] == (
        f"quillmark: error: {archive}!aes.xml: Unsupported ZIP compression method (99: aes)"
    )


@pytest.mark.parametrize(
    "name, content, message",
    [
        ("empty.zip", None, "no .xml, .txt or .aps member in this archive"),
        ("garbage.zip", b"not a zip file at all" * 10, "Unrecognized archive format"),
        ("garbage.tar.gz", b"\x1f\x8b" + b"\xff" * 100, None),
        ("plain.xml.gz", GRANT, "not gzip-compressed"),
    ],
)
def test_unreadable_archives_are_reported_by_file(tmp_path, name, content, message):
    path = tmp_path / name
    if content is None:
        write_archive(path, {"notes.pdf": b"%PDF", "dir": DIRECTORY})
    else:
        path.write_bytes(content)
    result = run_cli("detect", path)
    assert result.returncode == 1
    lines = result.stderr.decode().splitlines()
    assert len(lines) == 2 and lines[0].startswith(f"quillmark: error: {path}: ")
    if message:
        assert lines[0] == f"quillmark: error: {path}: {message}"


def test_directories_pick_up_archives_in_sorted_order(tmp_path):
    tree = tmp_path / "in"
    tree.mkdir()
    write_archive(tree / "b.zip", {"x.xml": APPLICATION})
    write_archive(tree / "c.xml.gz", {"c.xml": GRANT})
    write_archive(tree / "d.tgz", {"y.txt": APS.read_bytes()})
    (tree / "a.xml").write_bytes(EXAMPLE)
    (tree / "server.log.gz").write_bytes(gzip.compress(b"GET /"))
    result = run_cli("detect", tree)
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode().splitlines() == [
        f"{tree}/a.xml\t1\tUsptoGrantV45",
        f"{tree}/b.zip!x.xml\t1\tUsptoApplicationV44",
        f"{tree}/c.xml.gz!c.xml\t1\tUsptoGrantV45",
        *(f"{tree}/d.tgz!y.txt\t{n}\tUsptoGrantApsGreenBook" for n in (1, 2, 3)),
    ]
    assert "1 file in directories skipped" in result.stderr.decode()


@pytest.mark.parametrize("kind", ["zip", "tar.gz"])
def test_hostile_member_names_never_lead_outside_the_output_directory(tmp_path, kind):
    members = {
        "../../escape.xml": UNNUMBERED,
        "/etc/absolute.xml": UNNUMBERED,
        "/".join(["deep"] * 200) + "/.hidden.xml": UNNUMBERED,
        "line\nbreak.xml": UNNUMBERED,
    }
    archive = write_archive(tmp_path / f"hostile.{kind}", members)
    (tmp_path / "out").mkdir()
    for output_format in ("markdown", "jsonl"):
        result = run_cli("convert", archive, "--format", output_format, "-o", tmp_path / "out")
        assert result.returncode == 0, result.stderr
    assert sorted(p.name for p in tmp_path.iterdir()) == [archive.name, "out"]
    assert sorted(outputs(tmp_path / "out")) == [
        "_hidden-1.md", "_hidden.jsonl", "absolute-1.md", "absolute.jsonl",
        "escape-1.md", "escape.jsonl", "line_break-1.md", "line_break.jsonl",
    ]


def test_document_size_limit_holds_inside_archives(tmp_path):
    # 64 MiB of one document compress to a few hundred KiB: the limit, not
    # the archive's size, bounds what is held.
    huge = b'<?xml version="1.0"?>\n<us-patent-grant>' + b" " * (64 * 2**20) + b"</us-patent-grant>\n"
    archive = write_archive(tmp_path / "bomb.zip", {"bomb.xml": huge + GRANT})
    result = run_cli("convert", archive, "--max-document-size", "1M", "--format", "jsonl", "-o", tmp_path / "out")
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[0] == (
        f"quillmark: error: {archive}!bomb.xml: document 1 at byte 0: "
        f"document of {len(huge)} bytes is over --max-document-size (1048576 bytes)"
    )
    assert outputs(tmp_path / "out")["bomb.jsonl"].count(b"\n") == 1


@pytest.mark.parametrize("kind", ["zip", "tar.gz"])
def test_real_publications_convert_in_an_archive_as_unpacked(tmp_path, kind):
    corpus = require_corpus()
    # Every grant generation, with the one published without a start tag.
    grants = sorted(corpus.glob("grant_v4*/*.xml"))[::8] + [corpus / "grant_v41" / "US07057742-20060606.xml"]
    applications = sorted(corpus.glob("app_v*/*.xml"))[::8]
    members = {
        "ipg/ipg180123.xml": b"".join(path.read_bytes() for path in grants),
        "ipa/ipa180125.xml": b"".join(path.read_bytes() for path in applications),
    }
    archive = write_archive(tmp_path / f"week.{kind}", members)
    from_archive, from_files = convert_both_ways(tmp_path, archive, members, "--format", "jsonl")
    assert from_archive.returncode == from_files.returncode == 1
    assert unplaced(outputs(tmp_path / "from-archive")) == unplaced(outputs(tmp_path / "from-files"))

    def failures(result):
        return [line.split(": document ", 1)[1] for line in result.stderr.decode().splitlines()[:-1]]

    assert failures(from_archive) == failures(from_files) != []
