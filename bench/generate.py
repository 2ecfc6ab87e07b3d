"""Writes the benchmark documents: large synthetic publications of every
format family, deterministic from a seed.

    python3 bench/generate.py [--seed N] [--out DIR]
"""

import argparse
import copy
import hashlib
import json
import pathlib
import random
import sys

BENCH = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

from content import detailed_blocks, publication  # noqa: E402
from write_aps import ApsWriter  # noqa: E402
from write_pap import PapWriter  # noqa: E402
from write_st32 import St32Writer  # noqa: E402
from write_v4 import V4Writer  # noqa: E402

DEFAULT_SEED = 20240517
DEFAULT_OUT = BENCH / "out"

# name, writer, grant (else application), size in bytes of UTF-8, the format it must be detected as
DOCUMENTS = (
    ("grant_v45_1mb.xml", V4Writer, True, 1_000_000, "UsptoGrantV45"),
    ("grant_v45_10mb.xml", V4Writer, True, 10_000_000, "UsptoGrantV45"),
    ("application_v44_1mb.xml", V4Writer, False, 1_000_000, "UsptoApplicationV44"),
    ("grant_aps_1mb.txt", ApsWriter, True, 1_000_000, "UsptoGrantApsGreenBook"),
    ("grant_v25_1mb.xml", St32Writer, True, 1_000_000, "UsptoGrantV25"),
    ("application_v16_1mb.xml", PapWriter, False, 1_000_000, "UsptoApplicationV16"),
)

SOURCES = ("generate.py", "prose.py", "content.py", "write_v4.py", "write_st32.py", "write_pap.py", "write_aps.py")


def utf8_size(text):
    return len(text.encode("utf-8"))


def build(writer_class, grant, size, rng):
    """One document of about `size` bytes: the detailed description grows
    until the whole reaches the size."""
    pub = publication(rng, grant, size)
    writer = writer_class(pub)
    head = writer.head()
    # Measure the closing parts on a copy so the real ones are written in
    # document order (paragraph numbers keep rising).
    probe = copy.copy(writer)
    budget = size - utf8_size(head) - utf8_size(probe.middle() + probe.claims() + probe.end())
    body = []
    for block in detailed_blocks(pub):
        if budget <= 0:
            break
        text = writer.block(block)
        body.append(text)
        budget -= utf8_size(text)
    return head + "".join(body) + writer.middle() + writer.claims() + writer.end()


def fingerprint(seed):
    """Identifies the generator's code and seed: documents are rewritten when either changes."""
    digest = hashlib.sha256(str(seed).encode())
    for name in SOURCES:
        digest.update((BENCH / name).read_bytes())
    return digest.hexdigest()


def generate(seed=DEFAULT_SEED, out=DEFAULT_OUT, force=False, log=print):
    """Writes every document under `out` unless the same generator and seed
    already wrote them; returns the list of paths."""
    out = pathlib.Path(out)
    out.mkdir(parents=True, exist_ok=True)
    manifest_path = out / "manifest.json"
    stamp = fingerprint(seed)
    paths = [out / name for name, *_ in DOCUMENTS]
    if not force and manifest_path.exists() and all(p.exists() for p in paths):
        if json.loads(manifest_path.read_text()).get("fingerprint") == stamp:
            return paths
    sizes = {}
    for (name, writer_class, grant, size, _), path in zip(DOCUMENTS, paths):
        text = build(writer_class, grant, size, random.Random("%d:%s" % (seed, name)))
        path.write_bytes(text.encode("utf-8"))
        sizes[name] = utf8_size(text)
        log("wrote %s (%d bytes)" % (path, sizes[name]))
    manifest_path.write_text(json.dumps({"seed": seed, "fingerprint": stamp, "sizes": sizes}, indent=2) + "\n")
    return paths


def bulk_file(document, copies):
    """A bulk file of `copies` of one generated document, under DEFAULT_OUT."""
    generate()
    text = (DEFAULT_OUT / document).read_bytes()
    bulk = DEFAULT_OUT / ("bulk-%d-%s" % (copies, document))
    bulk.write_bytes(b"\n".join([text] * copies))
    return bulk


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--out", type=pathlib.Path, default=DEFAULT_OUT)
    args = parser.parse_args()
    generate(args.seed, args.out, force=True)


if __name__ == "__main__":
    main()
