"""The quillmark command on single publications, bulk files, directories and
standard input: splitting, output names and contents, order, error reports
and exit status."""
import json
import os
import pty

import pytest

import quillmark
from cli_runner import run_cli
from conftest import VERSION
from documents import (
    APPLICATION,
    APS,
    DATA,
    EXAMPLE,
    GRANT,
    UNNUMBERED,
    crlf,
    expected_markdown,
    golden_record,
    module_markdown,
    module_record,
    parse_error,
    placed,
)
from golden import getters

LAYOUTS = {
    "line-feeds": GRANT + APPLICATION + EXAMPLE,
    "cr-lf": crlf(GRANT) + crlf(APPLICATION) + crlf(EXAMPLE),
    "no-break-between": GRANT.rstrip() + APPLICATION.rstrip() + EXAMPLE.rstrip(),
    "byte-order-mark-and-blank-lines": b"\xef\xbb\xbf\n\n" + GRANT + b"\n" + APPLICATION + EXAMPLE,
    "files-with-byte-order-marks-concatenated": b"".join(b"\xef\xbb\xbf" + d for d in (GRANT, APPLICATION, EXAMPLE)),
}


@pytest.mark.parametrize("layout", LAYOUTS, ids=str)
def test_bulk_file_gives_one_expected_markdown_file_per_document(tmp_path, layout):
    bulk = tmp_path / "ipg180123.xml"
    bulk.write_bytes(LAYOUTS[layout])
    result = run_cli("convert", bulk, "-o", tmp_path / "out", "--jobs", "2")
    assert result.returncode == 0, result.stderr
    written = {path.name: path.read_text(encoding="utf-8") for path in (tmp_path / "out").iterdir()}
    assert written == {
        "US9876543B2.md": expected_markdown("grant_v45_full.gfm.md"),
        "US20150012345A1.md": expected_markdown("application_v44_short.gfm.md"),
        "US9876543B2-2.md": module_markdown(EXAMPLE, "gfm"),  # same number again: never overwritten
    }
    report = result.stderr.decode().splitlines()
    assert len(report) == 1 and report[0].startswith("quillmark: 3 documents converted, 0 failed (1 input, ")


@pytest.mark.parametrize("shift", [-5, -3, -1, 0, 1])
def test_declaration_across_a_read_boundary_still_splits(tmp_path, shift):
    # Files are read in 1 MiB chunks; the second declaration starts near one.
    padded = GRANT + b" " * (2**20 + shift - len(GRANT))
    (tmp_path / "bulk.xml").write_bytes(padded + APPLICATION)
    result = run_cli("detect", tmp_path / "bulk.xml")
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode().splitlines() == [
        f"{tmp_path}/bulk.xml\t1\tUsptoGrantV45",
        f"{tmp_path}/bulk.xml\t2\tUsptoApplicationV44",
    ]


# Each row opens with where its document was found, as a BulkItem tells it.
def test_json_lines_carry_the_place_every_getter_the_claims_and_the_markdown(tmp_path):
    bulk = tmp_path / "ipa150108.xml"
    bulk.write_bytes(GRANT + APPLICATION + EXAMPLE)
    result = run_cli("convert", bulk, "--format", "jsonl", "-o", tmp_path)
    assert result.returncode == 0, result.stderr
    lines = (tmp_path / "ipa150108.jsonl").read_text(encoding="utf-8").split("\n")
    assert lines[-1] == ""
    assert [json.loads(line) for line in lines[:-1]] == [
        placed(bulk, 1, 0, golden_record("grant_v45_full", "gfm")),
        placed(bulk, 2, len(GRANT), golden_record("application_v44_short", "gfm")),
        placed(bulk, 3, len(GRANT) + len(APPLICATION), module_record(EXAMPLE, "gfm")),
    ]
    assert list(json.loads(lines[0])) == ["source", "index", "offset", *getters(quillmark.parse(GRANT.decode())),
                                          "markdown"]
    items = [(item.source, item.index, item.offset) for item in quillmark.read_bulk(bulk)]
    assert [(row["source"], row["index"], row["offset"]) for row in map(json.loads, lines[:-1])] == items


def test_record_lines_are_the_documents_to_dict_after_their_place(tmp_path):
    bulk = tmp_path / "ipa150108.xml"
    bulk.write_bytes(GRANT + APPLICATION + EXAMPLE)
    result = run_cli("convert", bulk, "--format", "record", "-o", tmp_path, "--jobs", "2")
    assert result.returncode == 0, result.stderr
    lines = (tmp_path / "ipa150108.jsonl").read_text(encoding="utf-8").splitlines()
    offsets = [0, len(GRANT), len(GRANT) + len(APPLICATION)]
    assert [json.loads(line) for line in lines] == [
        {"source": str(bulk), "index": index, "offset": offset, "record": quillmark.parse(source.decode()).to_dict()}
        for index, (offset, source) in enumerate(zip(offsets, (GRANT, APPLICATION, EXAMPLE)), 1)
    ]


def test_many_documents_come_out_in_input_order_whatever_the_worker_count(tmp_path):
    documents = [GRANT, APPLICATION, UNNUMBERED] * 20
    bulk = tmp_path / "bulk.xml"
    bulk.write_bytes(b"".join(documents))
    outputs = {}
    for jobs in ("1", "2", "7"):
        result = run_cli("convert", bulk, "--format=jsonl", "-o", "-", f"-j{jobs}")
        assert result.returncode == 0, result.stderr
        outputs[jobs] = result.stdout
    assert outputs["1"] == outputs["2"] == outputs["7"]
    records = [json.loads(line) for line in outputs["1"].splitlines()]
    assert [r["patent_number"] or r["publication_number"] for r in records] == [
        "US9876543B2",
        "US20150012345A1",
        None,
    ] * 20


def test_truncated_last_document_is_reported_and_the_others_converted(tmp_path):
    truncated = EXAMPLE[: len(EXAMPLE) // 2]
    bulk = tmp_path / "ipg180123.xml"
    bulk.write_bytes(GRANT + APPLICATION + truncated)
    result = run_cli("convert", bulk, "-o", tmp_path / "out")
    assert result.returncode == 1
    assert sorted(p.name for p in (tmp_path / "out").iterdir()) == ["US20150012345A1.md", "US9876543B2.md"]
    report = result.stderr.decode().splitlines()
    assert report[0] == f"quillmark: error: {bulk}: document 3 at byte {len(GRANT) + len(APPLICATION)}: {parse_error(truncated)}"
    assert report[1].startswith("quillmark: 2 documents converted, 1 failed (1 input, ")


def test_documents_without_a_number_are_named_after_input_and_position(tmp_path):
    (tmp_path / "nonumber.xml").write_bytes(UNNUMBERED + GRANT + UNNUMBERED)
    result = run_cli("convert", "-", tmp_path / "nonumber.xml", "-o", tmp_path / "out", stdin=UNNUMBERED)
    assert result.returncode == 0, result.stderr
    names = sorted(p.name for p in (tmp_path / "out").iterdir())
    assert names == ["US9876543B2.md", "nonumber-1.md", "nonumber-3.md", "stdin-1.md"]
    assert (tmp_path / "out" / "stdin-1.md").read_text(encoding="utf-8") == module_markdown(UNNUMBERED, "gfm")


def test_hostile_numbers_cannot_leave_the_output_directory(tmp_path):
    hostile = APPLICATION.replace(b"<doc-number>20150012345</doc-number>", b"<doc-number>/../../x y</doc-number>")
    (tmp_path / "in.xml").write_bytes(hostile)
    result = run_cli("convert", tmp_path / "in.xml", "-o", tmp_path / "out")
    assert result.returncode == 0, result.stderr
    assert sorted(p.name for p in tmp_path.iterdir()) == ["in.xml", "out"]
    assert [p.name for p in (tmp_path / "out").iterdir()] == ["US_.._.._x_yA1.md"]


def test_directories_are_read_recursively_in_sorted_order(tmp_path):
    tree = {
        "b/x.xml": APPLICATION,
        "a/x.xml": GRANT,
        "a/z/notes.pdf": b"%PDF-1.4",
        "a/EXAMPLE.XML": EXAMPLE,
        "aps.txt": APS.read_bytes(),
    }
    for name, content in tree.items():
        (tmp_path / "in" / name).parent.mkdir(parents=True, exist_ok=True)
        (tmp_path / "in" / name).write_bytes(content)
    detected = run_cli("detect", tmp_path / "in")
    assert detected.returncode == 0, detected.stderr
    root = tmp_path / "in"
    assert detected.stdout.decode().splitlines() == [
        f"{root}/a/EXAMPLE.XML\t1\tUsptoGrantV45",
        f"{root}/a/x.xml\t1\tUsptoGrantV45",
        f"{root}/aps.txt\t1\tUsptoGrantApsGreenBook",
        f"{root}/aps.txt\t2\tUsptoGrantApsGreenBook",
        f"{root}/aps.txt\t3\tUsptoGrantApsGreenBook",
        f"{root}/b/x.xml\t1\tUsptoApplicationV44",
    ]
    assert "1 file in directories skipped" in detected.stderr.decode()

    converted = run_cli("convert", tmp_path / "in" / "a", tmp_path / "in" / "b", "--format", "jsonl", "-o", tmp_path / "out")
    assert converted.returncode == 0, converted.stderr
    outputs = {p.name: [json.loads(line) for line in p.read_text().splitlines()] for p in (tmp_path / "out").iterdir()}
    assert outputs == {
        "EXAMPLE.jsonl": [placed(root / "a" / "EXAMPLE.XML", 1, 0, module_record(EXAMPLE, "gfm"))],
        "x.jsonl": [placed(root / "a" / "x.xml", 1, 0, golden_record("grant_v45_full", "gfm"))],
        "x-2.jsonl": [placed(root / "b" / "x.xml", 1, 0, golden_record("application_v44_short", "gfm"))],
    }


def test_failures_are_reported_per_document_and_never_stop_the_run(tmp_path):
    latin1 = GRANT.replace("O&#x2019;Brien".encode(), "O\u2019Brien".encode()).replace(b"Nguyen", b"Nguy\xeann")
    bad_byte = latin1.index(b"\xea")
    (tmp_path / "latin1.xml").write_bytes(GRANT + latin1)
    (tmp_path / "empty.xml").write_bytes(b"")
    (tmp_path / "preamble.xml").write_bytes(b"Weekly file 2018-01-23\n" + APPLICATION)
    inputs = [tmp_path / name for name in ("missing.xml", "latin1.xml", "empty.xml", "preamble.xml")]
    result = run_cli("convert", *inputs, "-o", tmp_path / "out")
    assert result.returncode == 1
    assert result.stderr.decode().splitlines()[:-1] == [
        f"quillmark: error: {inputs[0]}: cannot open: No such file or directory",
        f"quillmark: error: {inputs[1]}: document 2 at byte {len(GRANT)}: "
        f"invalid UTF-8 at byte {bad_byte} of the document",
        f"quillmark: error: {inputs[2]}: no document found",
        f"quillmark: error: {inputs[3]}: document 1 at byte 0: source detection failed: malformed XML",
    ]
    assert result.stderr.decode().splitlines()[-1].startswith(
        "quillmark: 2 documents converted, 2 failed, 2 inputs failed (4 inputs, "
    )
    assert sorted(p.name for p in (tmp_path / "out").iterdir()) == ["US20150012345A1.md", "US9876543B2.md"]


def test_template_file_shapes_the_markdown(tmp_path):
    (tmp_path / "template.md").write_text("{{title}}\n\n\n\n{{ claims }}\n", encoding="utf-8")
    (tmp_path / "in.xml").write_bytes(APPLICATION)
    result = run_cli("convert", tmp_path / "in.xml", "--template", tmp_path / "template.md")
    assert result.returncode == 0, result.stderr
    expected = quillmark.parse_to_markdown(APPLICATION.decode(), "{{title}}\n\n\n\n{{ claims }}\n", flavor="gfm")
    assert result.stdout.decode() == expected + "\n"
    assert result.stdout.decode().startswith("# Self-heating beverage container\n\n## Claims\n")


# gfm unless --flavor default asks for the module's default layout.
@pytest.mark.parametrize("output_format", ["markdown", "jsonl"])
@pytest.mark.parametrize("flavor", [[], ["--flavor", "gfm"], ["--flavor=default"]], ids=str)
def test_flavor_renders_as_the_module_does(tmp_path, output_format, flavor):
    (tmp_path / "in.xml").write_bytes(APPLICATION)
    result = run_cli("convert", tmp_path / "in.xml", *flavor, "--format", output_format, "-o", "-")
    assert result.returncode == 0, result.stderr
    expected = quillmark.parse_to_markdown(APPLICATION.decode(), flavor=None if "--flavor=default" in flavor else "gfm")
    output = result.stdout.decode()
    assert (json.loads(output)["markdown"] if output_format == "jsonl" else output) == \
        (expected if output_format == "jsonl" else expected + "\n")


@pytest.mark.parametrize(
    "arguments, status, stream, text",
    [
        ([], 2, "stderr", "quillmark: no command given\nusage: quillmark convert INPUT..."),
        (["convert", "a.xml", "--format", "html"], 2, "stderr", "--format is markdown, jsonl or record, not 'html'"),
        (["convert", "a.xml", "--flavor", "GFM"], 2, "stderr", "--flavor is default or gfm, not 'GFM'"),
        (["--help"], 0, "stdout", "usage: quillmark convert INPUT..."),
        (["convert", "--help"], 0, "stdout", "usage: quillmark convert INPUT... [-o OUTPUT]"),
        (["convert", "a.xml", "--bogus"], 2, "stderr", "usage: quillmark convert INPUT... [-o OUTPUT]"),
        (["convert", "a.xml", "--bogus"], 2, "stderr", "Try 'quillmark convert --help' for more."),
        (["--version"], 0, "stdout", f"quillmark {VERSION}\n"),
        (["convert", "{data}/grant_v45_full.xml", "--template", "{data}/nothing.md"], 2, "stderr",
         "quillmark: cannot read --template {data}/nothing.md: No such file or directory"),
        (["convert", "{data}/grant_v45_full.xml", "--template", "{template}", "-o", "-"], 2, "stderr",
         "quillmark: --template {template}: unknown template placeholder {{{{Title}}}}; expected one of frontmatter"),
    ],
)
def test_exit_status_and_usage_messages(tmp_path, arguments, status, stream, text):
    (tmp_path / "bad.md").write_text("{{Title}}", encoding="utf-8")
    fill = {"data": DATA, "template": tmp_path / "bad.md"}
    result = run_cli(*(argument.format(**fill) for argument in arguments), cwd=tmp_path)
    assert result.returncode == status
    assert text.format(**fill) in getattr(result, stream).decode()
    assert list(tmp_path.iterdir()) == [tmp_path / "bad.md"]  # nothing written


@pytest.mark.parametrize("line_ending", [b"\n", b"\r\n"], ids=["lf", "crlf"])
def test_detect_lists_every_patent_of_an_aps_file(tmp_path, line_ending):
    aps = tmp_path / "pftaps19760106_wk01.txt"
    aps.write_bytes(APS.read_bytes().replace(b"\n", line_ending))
    result = run_cli("detect", aps)
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode() == "".join(f"{aps}\t{i}\tUsptoGrantApsGreenBook\n" for i in (1, 2, 3))


def test_detect_reports_documents_it_cannot_place(tmp_path):
    bulk = tmp_path / "mixed.xml"
    bulk.write_bytes(GRANT + b'<?xml version="1.0"?>\n<table/>\n' + APPLICATION)
    result = run_cli("detect", bulk)
    assert result.returncode == 1
    assert result.stdout.decode().splitlines() == [
        f"{bulk}\t1\tUsptoGrantV45",
        f"{bulk}\t2\terror: supplemental XML root 'table'",
        f"{bulk}\t3\tUsptoApplicationV44",
    ]
    assert f"{bulk}: document 2 at byte {len(GRANT)}: supplemental XML root 'table'" in result.stderr.decode()


@pytest.mark.parametrize("options, expected", [
    ([], "grant_v45_full.gfm.md"),
    (["-o", "-"], "grant_v45_full.gfm.md"),
    (["--flavor", "default"], "grant_v45_full.md"),
], ids=str)
def test_markdown_of_a_single_publication_to_standard_output(tmp_path, options, expected):
    result = run_cli("convert", DATA / "grant_v45_full.xml", *options, cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode() == expected_markdown(expected)
    assert list(tmp_path.iterdir()) == []


def test_progress_is_shown_only_on_a_terminal(tmp_path):
    (tmp_path / "bulk.xml").write_bytes(GRANT + APPLICATION)
    controller, terminal = pty.openpty()
    result = run_cli("convert", tmp_path / "bulk.xml", "-o", tmp_path / "out", stderr=terminal)
    os.close(terminal)
    shown = b""
    try:
        while chunk := os.read(controller, 4096):
            shown += chunk
    except OSError:  # every writer has closed the terminal
        pass
    os.close(controller)
    assert result.returncode == 0
    assert b"\r[" in shown and b"2 documents" in shown and b"MB/s" in shown and b"0 errors" in shown
    assert shown.rstrip().splitlines()[-1].split(b"\x1b[K")[-1].startswith(b"quillmark: 2 documents converted")
    plain = run_cli("convert", tmp_path / "bulk.xml", "-o", tmp_path / "out")
    assert b"\r" not in plain.stderr


# Control characters in names (line breaks, the escape that starts terminal
# commands, C1 controls) are written as escapes, in reports and in detect's lines.
def test_each_report_stays_on_one_line_and_sends_no_control_characters(tmp_path):
    broken = tmp_path / "two\nlines\x1b[31m\u009b.xml"
    broken.write_bytes(GRANT.replace(b"</abstract>", b"</abstrakt>"))
    shown = f"{tmp_path}/two\\x0Alines\\x1B[31m\\u009B.xml"
    result = run_cli("convert", broken, "-o", tmp_path / "out")
    assert result.returncode == 1
    report = result.stderr.decode().splitlines()
    assert len(report) == 2
    assert report[0].startswith(f"quillmark: error: {shown}: document 1 at byte 0: parse error at ")
    assert run_cli("detect", broken).stdout.decode() == f"{shown}\t1\tUsptoGrantV45\n"
