#!/usr/bin/env python3
"""Long memory soak: one million detect_format calls and 100,000 parse plus
to_markdown rounds (and 100,000 failing calls), printing the resident size as
it goes. Exits non-zero when any mix grows by more than 4 MB after its warm-up.

Run against a build: PYTHONPATH=build-dev python3 fuzz/memory_soak.py
"""
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "python"))

from memory_use import WORKLOADS, growth, resident_bytes  # noqa: E402

COUNTS = {"detect": 1_000_000, "parse_and_render": 100_000, "failures": 100_000}
LIMIT = 4 << 20


def main():
    failed = False
    for name, count in COUNTS.items():
        start = time.monotonic()
        grown = growth(WORKLOADS[name], warm_up=count // 20, count=count)
        print(f"{name:18} {count:>9,} calls  {time.monotonic() - start:7.1f} s  "
              f"growth {grown / 1024:9.1f} KiB  resident {resident_bytes() / (1 << 20):7.1f} MiB")
        failed |= grown > LIMIT
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
