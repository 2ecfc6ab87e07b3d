"""What the Dask examples share: the byte-range tasks a plain bulk file is
read in, and output names given the way the quillmark command gives them (a
name met again, in any letter case, gets -2, -3, ...).

Copy it along with the example that imports it."""
import os
import re

TASK_BYTES = 128 << 20
PLAIN_SUFFIXES = (".xml", ".txt", ".aps")
UNSAFE_NAME_CHARACTERS = re.compile(r"[^A-Za-z0-9._-]")


def byte_ranges(path: str, task_bytes: int = TASK_BYTES) -> list[tuple[int, int] | None]:
    """The byte ranges, of about task_bytes each, a plain bulk file is read
    in; [None] (the whole input, one task) for a file no larger than that, an
    archive or a directory."""
    if not str(path).lower().endswith(PLAIN_SUFFIXES) or not os.path.isfile(path):
        return [None]
    size = os.path.getsize(path)
    count = -(-size // task_bytes)
    if count <= 1:
        return [None]
    bounds = [size * part // count for part in range(count + 1)]
    return list(zip(bounds, bounds[1:]))


def safe_file_stem(text: str) -> str:
    """`text` with every character but A-Z, a-z, 0-9, '-', '_' and '.' made
    '_', a leading '.' too, cut to 200 characters."""
    stem = UNSAFE_NAME_CHARACTERS.sub("_", text[:200])
    return "_" + stem[1:] if stem.startswith(".") else stem


def file_stem(path: str) -> str:
    """A file name without its last extension, as the command cuts it."""
    name = path.rsplit("/", 1)[-1]
    dot = name.rfind(".")
    return name if dot <= 0 or name == ".." else name[:dot]


class OutputNames:
    """The names handed out in one run, never the same twice."""

    def __init__(self):
        self.taken, self.next_suffix = set(), {}

    def claim(self, stem: str, extension: str = "") -> str:
        """stem + extension, or the first free of stem-2, stem-3, ... when
        that name, in any letter case, was handed out before."""
        name = stem + extension
        if name.lower() not in self.taken:
            self.taken.add(name.lower())
            return name
        suffix = self.next_suffix.get(name.lower(), 2)
        while f"{stem}-{suffix}{extension}".lower() in self.taken:
            suffix += 1
        self.next_suffix[name.lower()] = suffix + 1
        self.taken.add(f"{stem}-{suffix}{extension}".lower())
        return f"{stem}-{suffix}{extension}"
