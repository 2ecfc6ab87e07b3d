"""Every example of the top-level README, run on the shipped files, with the
outputs the README shows.

- A ```console block is a session: each `$ ` line is a command, run by bash
  in a scratch folder that holds links to the repository's `examples/` and
  `tests/data/`, and to the real publications as `tests/corpus/`; the lines up to the next command are what it prints, standard
  output and standard error together. Blocks run in README order in the same
  folder, so a file one makes, a later one may read.
- A ```pycon block is run by doctest in that folder; the blocks share one
  namespace, as one Python session through the README.
- A ```markdown block after `<!-- excerpt of: COMMAND -->` is part of what
  COMMAND prints: each run of its lines between `...` lines is found there.
- In every shown output, `...` stands for any text left out.
- The Quick start installs the module and the command (everything up to
  `pip install . && `): the suite runs with them installed already, and
  `bash .ci/test` is this suite, not run again from here.
"""
from __future__ import annotations

import ast
import doctest
import inspect
import os
import pathlib
import re
import subprocess
import sys
from dataclasses import dataclass

import pytest

import quillmark
from cli_runner import CLI
from corpus_location import require_corpus

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
README = ROOT / "README.md"
INSTALL_STEPS = re.compile(r"^bash \.ci/system-packages && .*?pip install \. && ")
NOT_RUN = {"bash .ci/test"}
OPTIONS = doctest.ELLIPSIS

# The commands whose shown output is the command's behaviour of the `cli`
# branch (Markdown on standard output in the gfm flavour by default,
# `source`/`index`/`offset` in JSON Lines rows, `--quiet`, exit status 141
# on a closed pipe): skipped while the command lacks `--quiet`.
NEEDS_NEW_COMMAND = {
    "quillmark convert examples/grant_v45.xml",
    "quillmark convert examples/grant_v45.xml --format jsonl | python3 -m json.tool --no-ensure-ascii",
    'quillmark convert ipg-sample.zip --quiet | head -n 1; echo "exit status ${PIPESTATUS[0]}"',
}


@dataclass
class Block:
    kind: str  # console, pycon or excerpt
    line: int  # where its fence is in the README
    text: str
    command: str = ""  # the command an excerpt is part of


def readme_blocks() -> list[Block]:
    blocks = []
    lines = README.read_text(encoding="utf-8").split("\n")
    number = 0
    while number < len(lines):
        fence = re.match(r"^```(\w+)$", lines[number])
        if not fence:
            number += 1
            continue
        end = lines.index("```", number + 1)
        text = "\n".join(lines[number + 1:end]) + "\n"
        excerpt = re.match(r"^<!-- excerpt of: (.+) -->$", lines[number - 1]) if number else None
        if excerpt:
            blocks.append(Block("excerpt", number + 1, text, excerpt.group(1)))
        elif fence.group(1) in ("console", "pycon"):
            blocks.append(Block(fence.group(1), number + 1, text))
        number = end + 1
    return blocks


def session(text: str) -> list[tuple[str, str]]:
    """The commands of a console block, each with the output shown for it."""
    commands = []
    for line in text.splitlines(keepends=True):
        if line.startswith("$ "):
            commands.append([line[2:].rstrip("\n"), ""])
        else:
            commands[-1][1] += line
    return [(command, shown) for command, shown in commands]


def matches(shown: str, printed: str) -> bool:
    return doctest.OutputChecker().check_output(shown, printed, OPTIONS)


@pytest.fixture(scope="module")
def python_session():
    return {}


@pytest.fixture(scope="module")
def scratch(tmp_path_factory):
    folder = tmp_path_factory.mktemp("readme")
    (folder / "examples").symlink_to(ROOT / "examples")
    (folder / "tests").mkdir()
    (folder / "tests" / "data").symlink_to(ROOT / "tests" / "data")
    (folder / "tests" / "corpus").symlink_to(require_corpus())
    return folder


def shell_environment() -> dict:
    environment = dict(os.environ, LC_ALL="C.UTF-8")
    # The command under test and the interpreter running the tests (whose
    # python3 imports the module under test) come first.
    environment["PATH"] = os.pathsep.join([str(CLI.parent), str(pathlib.Path(sys.executable).parent),
                                           environment.get("PATH", "")])
    module_folder = str(pathlib.Path(quillmark.__file__).parent)
    environment["PYTHONPATH"] = os.pathsep.join(filter(None, [module_folder, environment.get("PYTHONPATH")]))
    return environment


def run_shell(command: str, folder: pathlib.Path) -> str:
    result = subprocess.run(["bash", "-c", command], cwd=folder, env=shell_environment(), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=300)
    return result.stdout.decode("utf-8")


def has_new_command() -> bool:
    help_text = subprocess.run([str(CLI), "convert", "--help"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return b"--quiet" in help_text.stdout


BLOCKS = readme_blocks()


def test_the_readme_has_runnable_examples():
    assert {block.kind for block in BLOCKS} == {"console", "pycon", "excerpt"}


def test_the_getter_table_names_every_getter_with_the_example_grant_values():
    table = re.search(r"^\| getter \| type \| value for `examples/grant_v45.xml` \|\n\|[-|]+\|\n((?:\|.*\n)+)",
                      README.read_text(encoding="utf-8"), re.M).group(1)
    document = quillmark.parse((ROOT / "examples" / "grant_v45.xml").read_text(encoding="utf-8"))
    named = []
    for row in table.splitlines():
        names_cell, _, values_cell = row.strip("|").split(" | ")
        names = re.findall(r"`(\w+)`", names_cell)
        named += names
        # A cell of literals, one per getter, is each getter's value.
        try:
            values = [ast.literal_eval(value) for value in re.findall(r"`([^`]+)`", values_cell)]
        except (ValueError, SyntaxError):
            continue
        if len(values) == len(names):
            for shown, name in zip(values, names):
                value = getattr(document, name)
                # A text cut short ends in "...".
                assert value.startswith(shown[:-3]) if str(shown).endswith("...") else value == shown, row
    getters = [name for name, value in vars(quillmark.Document).items() if inspect.isgetsetdescriptor(value)]
    assert sorted(named) == sorted(getters)


@pytest.mark.parametrize("page", [README, *sorted((ROOT / "docs").glob("*.md"))], ids=lambda p: p.name)
def test_every_link_leads_to_a_file_of_the_repository(page):
    # Links outside code blocks and code spans.
    text = re.sub(r"^(```+).*?^\1$|`[^`\n]*`", "", page.read_text(encoding="utf-8"), flags=re.M | re.S)
    targets = [t for t in re.findall(r"\]\(([^)#]+)\)", text) if not re.match(r"[a-z]+:", t)]
    assert [t for t in targets if not (page.parent / t).exists()] == []


@pytest.mark.parametrize("block", BLOCKS, ids=[f"line{b.line}-{b.kind}" for b in BLOCKS])
def test_readme_example(block, scratch, python_session):
    waiting = []
    if block.kind == "pycon":
        parser = doctest.DocTestParser()
        test = parser.get_doctest(block.text, python_session, f"README.md:{block.line}", str(README), block.line)
        runner = doctest.DocTestRunner(optionflags=OPTIONS)
        previous = os.getcwd()
        os.chdir(scratch)
        try:
            report = []
            runner.run(test, out=report.append, clear_globs=False)
            python_session.update(test.globs)
        finally:
            os.chdir(previous)
        assert runner.failures == 0, "".join(report)
    elif block.kind == "excerpt":
        if block.command in NEEDS_NEW_COMMAND and not has_new_command():
            pytest.skip(f"needs the command's new behaviour (branch cli): {block.command}")
        printed = run_shell(block.command, scratch)
        for part in re.split(r"^\.\.\.\n", block.text, flags=re.M):
            assert part in printed, f"README line {block.line}: not in the output of {block.command}:\n{part}"
    else:
        for command, shown in session(block.text):
            command = INSTALL_STEPS.sub("", command)
            if command in NOT_RUN:
                continue
            if command in NEEDS_NEW_COMMAND and not has_new_command():
                waiting.append(command)
                continue
            printed = run_shell(command, scratch)
            assert matches(shown, printed), f"README line {block.line}: $ {command}\nshown:\n{shown}\nprinted:\n{printed}"
    if waiting:
        pytest.skip("needs the command's new behaviour (branch cli): " + "; ".join(waiting))
