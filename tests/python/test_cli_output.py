"""Where the quillmark command's output goes, as pandoc decides it: standard
output by default, -o NAME.md for one document, -o NAME.jsonl for every
input, a directory otherwise; the rows' places; --quiet and each command's
own help."""
import json
import os

import pytest

import quillmark
from cli_runner import run_cli
from documents import APPLICATION, GRANT, UNNUMBERED, expected_markdown, golden_record, module_record, placed

FORMATS = ["markdown", "jsonl", "record"]


def files(directory):
    return sorted(str(path.relative_to(directory)) for path in directory.rglob("*"))


# Nothing is written where the command runs unless -o asks for it.
@pytest.mark.parametrize("output_format", FORMATS)
def test_every_format_goes_to_standard_output_by_default(tmp_path, output_format):
    (tmp_path / "in").mkdir()
    (tmp_path / "in" / "bulk.xml").write_bytes(GRANT + APPLICATION)
    result = run_cli("convert", "in/bulk.xml", "--format", output_format, cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert files(tmp_path) == ["in", "in/bulk.xml"]
    if output_format == "markdown":
        assert result.stdout.decode() == (expected_markdown("grant_v45_full.gfm.md")
                                          + expected_markdown("application_v44_short.gfm.md"))
        return
    rows = [json.loads(line) for line in result.stdout.decode().splitlines()]
    assert [(row["source"], row["index"], row["offset"]) for row in rows] == [("in/bulk.xml", 1, 0),
                                                                              ("in/bulk.xml", 2, len(GRANT))]


@pytest.mark.parametrize("name", ["US9876543B2.md", "Grant.MD"])
def test_a_markdown_file_named_by_o_holds_the_one_document(tmp_path, name):
    (tmp_path / "grant.xml").write_bytes(GRANT)
    (tmp_path / name).write_text("an earlier run")  # replaced, as pandoc replaces it
    result = run_cli("convert", tmp_path / "grant.xml", "-o", tmp_path / name)
    assert result.returncode == 0, result.stderr
    assert files(tmp_path) == sorted(["grant.xml", name])
    assert (tmp_path / name).read_text(encoding="utf-8") == expected_markdown("grant_v45_full.gfm.md")


# A second document, in the same file or another input, is refused before
# anything is written, with the way to write them all.
@pytest.mark.parametrize("inputs", [["bulk.xml"], ["grant.xml", "application.xml"]], ids=str)
def test_a_markdown_file_named_by_o_refuses_a_second_document(tmp_path, inputs):
    (tmp_path / "bulk.xml").write_bytes(GRANT + APPLICATION)
    (tmp_path / "grant.xml").write_bytes(GRANT)
    (tmp_path / "application.xml").write_bytes(APPLICATION)
    (tmp_path / "out.md").write_text("an earlier run")
    result = run_cli("convert", *inputs, "-o", "out.md", cwd=tmp_path)
    assert result.returncode == 2
    assert result.stderr.decode() == (
        f"quillmark: -o out.md is a single Markdown file, and {inputs[-1]} holds a second document; "
        "name a directory, as -o DIR/, for one file per document\n")
    assert (tmp_path / "out.md").read_text() == "an earlier run"


# One JSON Lines file for every input, its format jsonl unless record is asked.
@pytest.mark.parametrize("output_format", [None, "jsonl", "record"])
def test_a_json_lines_file_named_by_o_holds_every_input(tmp_path, output_format):
    (tmp_path / "a.xml").write_bytes(GRANT + UNNUMBERED)
    (tmp_path / "b.xml").write_bytes(APPLICATION)
    options = ["--format", output_format] if output_format else []
    result = run_cli("convert", "a.xml", "b.xml", "-o", "week.jsonl", *options, cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert files(tmp_path) == ["a.xml", "b.xml", "week.jsonl"]
    rows = [json.loads(line) for line in (tmp_path / "week.jsonl").read_text(encoding="utf-8").splitlines()]
    if output_format == "record":
        assert [row.pop("record") for row in rows] == [
            quillmark.parse(source.decode()).to_dict() for source in (GRANT, UNNUMBERED, APPLICATION)]
        assert rows == [{"source": "a.xml", "index": 1, "offset": 0},
                        {"source": "a.xml", "index": 2, "offset": len(GRANT)},
                        {"source": "b.xml", "index": 1, "offset": 0}]
        return
    assert rows == [placed("a.xml", 1, 0, golden_record("grant_v45_full", "gfm")),
                    placed("a.xml", 2, len(GRANT), module_record(UNNUMBERED, "gfm")),
                    placed("b.xml", 1, 0, golden_record("application_v44_short", "gfm"))]


@pytest.mark.parametrize("output, directory", [
    ("out/", "out"),           # a name that ends in a slash
    ("out.md/", "out.md"),
    ("existing.md", "existing.md"),  # an existing directory, whatever its name
    ("results", "results"),    # any other name
])
def test_other_outputs_are_directories_of_one_file_per_document(tmp_path, output, directory):
    (tmp_path / "existing.md").mkdir()
    (tmp_path / "bulk.xml").write_bytes(GRANT + APPLICATION)
    result = run_cli("convert", "bulk.xml", "-o", output, cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert files(tmp_path / directory) == ["US20150012345A1.md", "US9876543B2.md"]
    jsonl = run_cli("convert", "bulk.xml", "-o", output, "--format", "jsonl", cwd=tmp_path)
    assert jsonl.returncode == 0, jsonl.stderr
    assert files(tmp_path / directory) == ["US20150012345A1.md", "US9876543B2.md", "bulk.jsonl"]


@pytest.mark.parametrize("output, output_format, message", [
    ("a.md", "jsonl", "-o a.md names a Markdown file, and --format jsonl writes JSON Lines: "
                      "name a .jsonl file or a directory"),
    ("a.jsonl", "markdown", "-o a.jsonl names a JSON Lines file, and --format markdown writes Markdown: "
                            "name a .md file or a directory"),
])
def test_a_format_the_output_name_contradicts_is_a_usage_error(tmp_path, output, output_format, message):
    (tmp_path / "grant.xml").write_bytes(GRANT)
    result = run_cli("convert", "grant.xml", "-o", output, "--format", output_format, cwd=tmp_path)
    assert result.returncode == 2
    assert result.stderr.decode() == f"quillmark: {message}\n"
    assert files(tmp_path) == ["grant.xml"]


# A file name that is not UTF-8 comes out as Python's os.fsdecode gives it.
def test_the_source_of_a_row_is_the_file_name_python_would_give(tmp_path):
    name = os.fsencode(tmp_path) + b"/caf\xe9 \xe2\x80\xa8.xml"
    with open(name, "wb") as document:
        document.write(GRANT)
    result = run_cli("convert", os.fsdecode(name), "--format", "record")
    assert result.returncode == 0, result.stderr
    row = json.loads(result.stdout)
    assert row["source"] == os.fsdecode(name)
    assert "\u2028" not in result.stdout.decode("utf-8", "surrogateescape")  # one row, one line


@pytest.mark.parametrize("command", [["convert", "-o", "-"], ["detect"]])
def test_quiet_leaves_the_summary_out_and_every_error_in(tmp_path, command):
    (tmp_path / "bulk.xml").write_bytes(GRANT + b"<?xml version='1.0'?>\n<nothing/>\n")
    result = run_cli(*command, "bulk.xml", "--quiet", cwd=tmp_path)
    loud = run_cli(*command, "bulk.xml", cwd=tmp_path)
    assert result.returncode == loud.returncode == 1
    assert result.stdout == loud.stdout
    assert result.stderr.decode().splitlines() == loud.stderr.decode().splitlines()[:-1]
    assert len(result.stderr.decode().splitlines()) == 1


@pytest.mark.parametrize("arguments, opening, holds", [
    (["--help"], "usage: quillmark convert INPUT...", "'quillmark COMMAND --help' describes a command"),
    (["convert", "--help"], "usage: quillmark convert INPUT...", "  NAME.jsonl           one JSON Lines file"),
    (["convert", "in.xml", "-h"], "usage: quillmark convert INPUT...", "  -q, --quiet  "),
    (["detect", "--help"], "usage: quillmark detect INPUT...", "the input (ARCHIVE!MEMBER in an archive)"),
], ids=str)
def test_each_command_has_its_own_help(arguments, opening, holds):
    result = run_cli(*arguments)
    assert result.returncode == 0 and result.stderr == b""
    text = result.stdout.decode()
    assert text.startswith(opening) and holds in text
    assert ("quillmark detect INPUT" in text) == (arguments[0] != "convert")
    assert ("--format FORMAT" in text) == (arguments[0] == "convert")
    assert max(map(len, text.splitlines())) <= 80


@pytest.mark.parametrize("command", ["convert", "detect"])
def test_a_filter_run_tells_only_what_went_wrong(tmp_path, command):
    (tmp_path / "good.xml").write_bytes(GRANT)
    clean = run_cli(command, tmp_path / "good.xml")
    assert clean.returncode == 0 and clean.stderr == b""
    (tmp_path / "bad.xml").write_bytes(b"<us-patent-grant><broken")
    failing = run_cli(command, tmp_path / "good.xml", tmp_path / "bad.xml")
    assert failing.returncode == 1
    assert b"1 failed" in failing.stderr.splitlines()[-1]
