"""quillmark.read_bulk: the publications of bulk files, archives and
directories, parsed on the module's own threads and yielded in file order."""
import gc
import os
import pathlib
import subprocess
import sys
import threading
import time
import zipfile

import pytest

import quillmark
from archives import write_archive, write_zip_with_corrupt_member
from conftest import DATA
from corpus_oracle import CORPUS
from documents import APPLICATION, APS, EXAMPLE, GRANT, crlf, parse_error
from test_cli_memory import ALLOWANCE, LIMIT, SANITIZED, SPAWN, oversized_xml, write_compressed

TRUNCATED = EXAMPLE[: len(EXAMPLE) // 2]
BULK = GRANT + APPLICATION + TRUNCATED + GRANT + crlf(APPLICATION)


def items_of(reader):
    return [(item.source, item.index, item.offset, item.error,
             item.document.to_dict() if item.document else None) for item in reader]


def expected_items(source, parts):
    """What read_bulk gives for documents `parts` concatenated in `source`."""
    items, offset = [], 0
    for index, part in enumerate(parts, 1):
        text = part.decode("utf-8")
        try:
            record, error = quillmark.parse(text).to_dict(), None
        except ValueError as failure:
            record, error = None, str(failure)
        items.append((source, index, offset, error, record))
        offset += len(part)
    return items


@pytest.fixture
def bulk_file(tmp_path):
    path = tmp_path / "ipg180123.xml"
    path.write_bytes(BULK)
    return path


@pytest.mark.parametrize("jobs", [1, 4])
def test_bulk_file_items_are_the_documents_parsed_alone(bulk_file, jobs):
    parts = [GRANT, APPLICATION, TRUNCATED, GRANT, crlf(APPLICATION)]
    assert items_of(quillmark.read_bulk(bulk_file, jobs=jobs)) == expected_items(str(bulk_file), parts)
    assert expected_items(str(bulk_file), parts)[2][3] == parse_error(TRUNCATED)


@pytest.mark.parametrize("kind", ["zip", "tar.gz", "xml.gz"])
def test_archives_give_the_items_of_their_members(tmp_path, kind):
    archive = write_archive(tmp_path / f"ipg180123.{kind}", {"ipg180123.xml": BULK})
    member = f"{archive}!ipg180123.xml"
    parts = [GRANT, APPLICATION, TRUNCATED, GRANT, crlf(APPLICATION)]
    assert items_of(quillmark.read_bulk(str(archive), jobs=2)) == expected_items(member, parts)


def test_directories_are_read_in_sorted_order_aps_included(tmp_path):
    (tmp_path / "b.xml").write_bytes(GRANT)
    (tmp_path / "a.txt").write_bytes(APS.read_bytes())
    (tmp_path / "notes.md").write_bytes(b"not a publication")
    items = list(quillmark.read_bulk(tmp_path))
    assert [(pathlib.Path(item.source).name, item.index) for item in items] == \
        [("a.txt", 1), ("a.txt", 2), ("a.txt", 3), ("b.xml", 1)]
    assert [item.document.patent_number for item in items] == \
        ["US3930584A", "USD251234S", "USRE30284E", "US9876543B2"]


def test_a_corrupt_member_is_an_error_item_and_the_next_member_is_read(tmp_path):
    archive = write_zip_with_corrupt_member(
        tmp_path / "bulk.zip", {"one.xml": GRANT, "two.xml": APPLICATION, "three.xml": GRANT},
        b"<us-patent-application")
    items = [(item.source.split("!")[1], item.index, item.document is not None, item.error)
             for item in quillmark.read_bulk(archive)]
    assert items[0] == ("one.xml", 1, True, None) and items[-1] == ("three.xml", 1, True, None)
    assert items[-2] == ("two.xml", 0, False,
                         "checksum mismatch; the 1 document yielded from it before this item came from corrupt data")


def test_oversized_document_is_an_error_item_between_its_neighbours(tmp_path):
    big = GRANT.replace(b"</us-patent-grant>", b"<!--" + b"x" * 200_000 + b"-->\n</us-patent-grant>")
    path = tmp_path / "bulk.xml"
    path.write_bytes(GRANT + big + APPLICATION)
    items = list(quillmark.read_bulk(path, max_document_size=100_000))
    assert [item.error for item in items] == [
        None, f"document of {len(big)} bytes is over max_document_size (100000 bytes)", None]
    assert [item.index for item in items] == [1, 2, 3]


def test_a_file_that_cannot_be_opened_raises_at_once(tmp_path):
    with pytest.raises(FileNotFoundError) as raised:
        quillmark.read_bulk(tmp_path / "nothing.xml")
    assert raised.value.filename == tmp_path / "nothing.xml"


@pytest.mark.parametrize("arguments, error", [
    ((b"\0",), ValueError),
    ((3,), TypeError),
    (("x.xml", 2), TypeError),  # jobs is keyword-only
])
def test_bad_arguments(arguments, error):
    with pytest.raises(error):
        quillmark.read_bulk(*arguments)


@pytest.mark.parametrize("keyword", [{"jobs": 0}, {"jobs": 5000}, {"max_document_size": 0}, {"max_document_size": 2**31}])
def test_bad_numbers_name_their_range(bulk_file, keyword):
    with pytest.raises(ValueError, match=f"read_bulk: {next(iter(keyword))} must be from "):
        quillmark.read_bulk(bulk_file, **keyword)


def native_threads() -> int:
    return len(os.listdir("/proc/self/task"))


def test_breaking_out_early_stops_the_threads(tmp_path):
    path = tmp_path / "large.xml"
    path.write_bytes(GRANT * 3000)
    before = native_threads()
    started = time.monotonic()
    reader = quillmark.read_bulk(path, jobs=2)
    taken = [item.document.patent_number for _, item in zip(range(3), reader)]
    assert native_threads() == before + 3  # the reader and two workers, which deliver in order
    del reader
    gc.collect()
    assert taken == ["US9876543B2"] * 3
    assert time.monotonic() - started < 5
    assert native_threads() == before


def test_items_are_read_only_and_shown_by_their_source(bulk_file):
    item = next(quillmark.read_bulk(bulk_file))
    assert repr(item) == f'BulkItem(source="{bulk_file}", index=1, offset=0, document={item.document!r})'
    with pytest.raises(AttributeError):
        item.index = 2
    with pytest.raises(TypeError):
        quillmark.BulkItem()


# Iterates in an interpreter of its own, spawned by a small one that prints
# its exit status and peak resident size (a child's peak starts from its
# parent's size at the fork).
CHILD = """
import sys, quillmark
print([(item.index, item.error) for item in quillmark.read_bulk(sys.argv[1], jobs=2, max_document_size=int(sys.argv[2]))])
"""


def test_an_oversized_document_is_held_no_more_than_the_limit(tmp_path):
    # A few hundred KiB of gzip that unpack to 300 MiB between two documents.
    archive = tmp_path / "bomb.xml.gz"
    write_compressed(archive, [GRANT, *oversized_xml(), APPLICATION])
    size = sum(len(chunk) for chunk in oversized_xml())
    result = subprocess.run([sys.executable, "-c", SPAWN, sys.executable, "-c", CHILD, str(archive), str(LIMIT)],
                            capture_output=True, check=True)
    items, status_and_peak = result.stdout.decode().splitlines()
    status, peak = status_and_peak.split()
    assert status == "0", result.stderr.decode()
    assert items == repr([(1, None), (2, f"document of {size} bytes is over max_document_size ({LIMIT} bytes)"),
                          (3, None)])
    assert SANITIZED or int(peak) < LIMIT + ALLOWANCE, f"peak resident size {int(peak) / 2**20:.0f} MiB"


# ------------------------------------------------------------ byte ranges

def corpus_documents(folders, count):
    if not CORPUS.is_dir():
        pytest.skip("the corpus of real publications is not here")
    names = [path for folder in folders for path in sorted((CORPUS / folder).glob("*"))[:count]]
    return [path.read_bytes() for path in names]


def found(reader):
    return [(item.offset, item.error, item.document.patent_number if item.document else None) for item in reader]


@pytest.fixture(params=["xml", "aps"])
def real_bulk_file(request, tmp_path):
    """Real publications one after another, with what read_bulk gives of the whole file."""
    if request.param == "xml":
        # A byte-order mark opens the third document, as when files are concatenated.
        parts = corpus_documents(["grant_v45", "app_v46", "grant_v25"], 2)
        parts[2] = b"\xef\xbb\xbf" + parts[2]
    else:
        parts = corpus_documents(["aps"], 4)
    path = tmp_path / f"bulk.{request.param}"
    path.write_bytes(b"".join(parts))
    whole = found(quillmark.read_bulk(path))
    assert len(whole) == len(parts) and all(error is None for _, error, _ in whole)
    return path, whole


def test_three_byte_ranges_give_every_document_once(real_bulk_file):
    path, whole = real_bulk_file
    size = path.stat().st_size
    starts = [offset for offset, _, _ in whole]
    cuts = {0, 1, 2, 3, size // 3, size // 2, size - 1, size, size + 10}
    for start in starts[1:]:
        cuts |= {start - 4, start - 3, start - 1, start, start + 1, start + 5}
    cuts = sorted(cuts)
    for first in cuts:
        for second in (cut for cut in cuts if cut >= first):
            ranges = [(0, first), (first, second), (second, size + 10)]
            items = [item for byte_range in ranges for item in found(quillmark.read_bulk(path, byte_range=byte_range))]
            assert items == whole, (first, second)


def test_a_range_holds_the_documents_that_start_in_it(real_bulk_file):
    path, whole = real_bulk_file
    second, third = whole[1][0], whole[2][0]
    items = list(quillmark.read_bulk(path, byte_range=(second, third), jobs=2))
    assert found(items) == [whole[1]]
    assert [item.index for item in items] == [1]  # counted within the range
    assert found(quillmark.read_bulk(path, byte_range=(second + 1, third + 1))) == [whole[2]]
    assert found(quillmark.read_bulk(path, byte_range=(second, second))) == []
    assert found(quillmark.read_bulk(path, byte_range=[path.stat().st_size, 2**63])) == []


def test_an_empty_file_range_is_no_error(tmp_path):
    path = tmp_path / "empty.xml"
    path.write_bytes(b"")
    assert found(quillmark.read_bulk(path, byte_range=(0, 100))) == []
    assert found(quillmark.read_bulk(path)) == [(0, "no document found", None)]


def test_a_range_of_oversized_documents_reports_them_by_their_start(tmp_path):
    big = GRANT.replace(b"</us-patent-grant>", b"<!--" + b"x" * 200_000 + b"-->\n</us-patent-grant>")
    path = tmp_path / "bulk.xml"
    path.write_bytes(GRANT + big + big + APPLICATION)
    starts = [0, len(GRANT), len(GRANT) + len(big), len(GRANT) + 2 * len(big)]
    items = list(quillmark.read_bulk(path, max_document_size=100_000, byte_range=(starts[1] + 1, starts[3] + 1)))
    assert [(item.offset, item.error is None) for item in items] == [(starts[2], False), (starts[3], True)]


@pytest.mark.parametrize("byte_range, error, message", [
    ((5, 2), ValueError, "0 <= start <= stop"),
    ((-1, 5), ValueError, "0 <= start <= stop"),
    ((0, 2**64), ValueError, "0 <= start <= stop"),
    ((0,), TypeError, "pair"),
    ("ab", TypeError, "pair"),
    ((0, "5"), TypeError, "integer"),
])
def test_bad_byte_ranges(bulk_file, byte_range, error, message):
    with pytest.raises(error, match=message):
        quillmark.read_bulk(bulk_file, byte_range=byte_range)


@pytest.mark.parametrize("kind", ["zip", "xml.gz", "directory", "fifo"])
def test_a_byte_range_needs_an_uncompressed_file(tmp_path, kind):
    if kind == "directory":
        path = tmp_path
        (tmp_path / "a.xml").write_bytes(GRANT)
    elif kind == "fifo":
        path = tmp_path / "pipe.xml"
        os.mkfifo(path)
    else:
        path = write_archive(tmp_path / f"bulk.{kind}", {"bulk.xml": GRANT})
    with pytest.raises(ValueError, match="read_bulk: byte_range applies to one uncompressed file"):
        quillmark.read_bulk(path, byte_range=(0, 10))


def test_a_truncated_zip_member_is_reported_as_truncated(tmp_path):
    archive = tmp_path / "bulk.zip"
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as packed:
        packed.writestr("one.xml", GRANT * 20)
    archive.write_bytes(archive.read_bytes()[:archive.stat().st_size // 2])
    items = [(item.source, item.index, item.error) for item in quillmark.read_bulk(archive)]
    assert items[0] == (f"{archive}!one.xml", 0, "truncated member: its compressed data ends early")


# ------------------------------------------------ threads, processes, pipes

def run_python(script, *arguments, timeout=60):
    """Runs `script` in an interpreter of its own: its exit status and output."""
    result = subprocess.run([sys.executable, "-c", script, *map(str, arguments)], capture_output=True,
                            timeout=timeout)
    return result.returncode, result.stdout.decode(), result.stderr.decode()


def test_iterators_never_iterated_hold_no_threads(bulk_file):
    before = native_threads()
    readers = [quillmark.read_bulk(bulk_file, jobs=4) for _ in range(50)]
    assert native_threads() == before
    assert [item.index for item in readers[-1]] == [1, 2, 3, 4, 5]
    del readers
    gc.collect()
    assert native_threads() == before


def test_a_second_thread_stepping_the_same_iterator_gets_a_value_error(tmp_path):
    fifo = tmp_path / "bulk.xml"
    os.mkfifo(fifo)
    reader = quillmark.read_bulk(fifo)
    taken = []
    first = threading.Thread(target=lambda: taken.extend(reader))
    first.start()
    time.sleep(0.3)  # the first thread waits for the pipe's writer
    with pytest.raises(ValueError, match="read_bulk iterator already executing"):
        next(reader)
    with open(fifo, "wb") as pipe:
        pipe.write(GRANT + APPLICATION)
    first.join(10)
    assert [item.index for item in taken] == [1, 2]


# Two threads take items from one iterator as fast as they can.
RACE = """
import sys, threading, quillmark
steps = []
def loop():
    for _ in range(300):
        reader = shared[0]
        try:
            next(reader)
            steps.append("item")
        except StopIteration:
            shared[0] = quillmark.read_bulk(sys.argv[1], jobs=2)
            steps.append("end")
        except ValueError:
            steps.append("refused")
shared = [quillmark.read_bulk(sys.argv[1], jobs=2)]
threads = [threading.Thread(target=loop) for _ in range(2)]
for thread in threads: thread.start()
for thread in threads: thread.join()
print(len(steps))
"""


def test_two_threads_on_one_iterator_never_crash(tmp_path):
    path = tmp_path / "three.xml"
    path.write_bytes(GRANT + APPLICATION + GRANT)
    status, output, errors = run_python(RACE, path)
    assert (status, output) == (0, "600\n"), errors


# A child made by fork() while iterators are live: one started on a plain
# file, one on a zip whose reading has ended, one never started.
FORK = """
import os, sys, time, quillmark
started = quillmark.read_bulk(sys.argv[1], jobs=2)
next(started)
finished = quillmark.read_bulk(sys.argv[2])
next(finished)
time.sleep(0.3)
unstarted = quillmark.read_bulk(sys.argv[1])
pid = os.fork()
if pid == 0:
    try:
        next(started)
        sys.exit(3)
    except RuntimeError as error:
        assert "started in another process" in str(error), error
    assert len(list(unstarted)) == 5
    del started, finished
    sys.exit(0)
_, status = os.waitpid(pid, 0)
print(os.waitstatus_to_exitcode(status), len(list(started)), len(list(finished)))
"""


def test_a_forked_child_refuses_its_parents_iterator_and_exits_normally(bulk_file, tmp_path):
    archive = write_archive(tmp_path / "bulk.zip", {"a.xml": GRANT, "b.xml": APPLICATION})
    status, output, errors = run_python(FORK, bulk_file, archive)
    assert (status, output) == (0, "0 4 1\n"), errors


# Ctrl-C while the loop waits for a pipe that has no writer, then the
# iterator dropped: both return at once.
INTERRUPTED = """
import signal, sys, time, quillmark
signal.setitimer(signal.ITIMER_REAL, 0.3)
signal.signal(signal.SIGALRM, lambda *_: signal.raise_signal(signal.SIGINT))
reader = quillmark.read_bulk(sys.argv[1], jobs=2)
try:
    next(reader)
except KeyboardInterrupt:
    started = time.monotonic()
    del reader
    print("dropped in", "time" if time.monotonic() - started < 2 else "too long")
"""


@pytest.mark.parametrize("name", ["bulk.xml", "bulk.xml.gz", "bulk.tar", "bulk.tar.gz", "bulk.zip"])
def test_a_pipe_without_writer_never_blocks_ctrl_c_or_dropping(tmp_path, name):
    fifo = tmp_path / name
    os.mkfifo(fifo)
    status, output, errors = run_python(INTERRUPTED, fifo, timeout=20)
    assert (status, output) == (0, "dropped in time\n"), errors


@pytest.mark.parametrize("kind", ["xml.gz", "tar", "tar.gz", "zip"])
def test_archives_are_read_from_a_pipe(tmp_path, kind):
    archive = write_archive(tmp_path / f"bulk.{kind}", {"a.xml": GRANT + APPLICATION})
    fifo = tmp_path / f"pipe.{kind}"
    os.mkfifo(fifo)
    reader = quillmark.read_bulk(fifo)
    # Opening the pipe to write waits for the reading thread's open.
    writer = threading.Thread(target=lambda: fifo.write_bytes(archive.read_bytes()))
    writer.start()
    items = [(item.source, item.index, item.error) for item in reader]
    writer.join(10)
    member = f"{fifo}!" + ("pipe.xml" if kind == "xml.gz" else "a.xml")
    assert items == [(member, 1, None), (member, 2, None)]


# The reading thread cannot set its buffer aside for a large document: the
# input ends with the error, and the run goes on.
OUT_OF_MEMORY = """
import resource, sys, quillmark
reader = quillmark.read_bulk(sys.argv[1], max_document_size=2**31 - 1)
with open("/proc/self/statm") as statm:
    pages = int(statm.read().split()[0])
limit = pages * resource.getpagesize() + 400 * 2**20
resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
print([(item.index, item.error) for item in reader])
"""


@pytest.mark.skipif(SANITIZED, reason="the sanitizer reserves address space of its own")
def test_memory_running_out_on_the_reading_thread_is_an_error_item(tmp_path):
    path = tmp_path / "bulk.xml"
    path.write_bytes(GRANT + GRANT.replace(b"</us-patent-grant>", b"<!--" + b"x" * (40 * 2**20) + b"-->\n</us-patent-grant>"))
    status, output, errors = run_python(OUT_OF_MEMORY, path)
    assert (status, output) == (0, f"[(1, None), (0, 'out of memory')]\n"), errors
