"""Repeated timing with medians, and the CPU pinning the runner uses.

The machines this runs on are shared, so two things keep the figures
comparable: the operations of one document are timed in alternation, round
after round, so a change of load hits all of them alike; and the figure is
the CPU time of the calling thread (user and system), which does not grow
while the thread waits for the core. Wall-clock times are kept beside it.
"""

import gc
import os
import statistics
import time


def pin_to_one_core():
    """Runs the process on one core (the last one it may use); returns its number."""
    core = max(os.sched_getaffinity(0))
    os.sched_setaffinity(0, {core})
    return core


def settle_allocator():
    """Makes and frees one 16 MiB buffer, as a process that has already
    converted a large file has done. glibc maps a large block of its own for
    each large request until it has freed one that size, and then serves
    such requests from its heap; until then every call pays a page fault
    for each 4 KB of its large buffers (the input's UTF-8, the flat tree,
    libxml2's copy of the input). Without this, whichever document is timed
    first was measured in that state: up to 40% slower for
    `parse_to_markdown` and the yardsticks, and 2.5 times for detection."""
    buffer = bytearray(16 << 20)
    del buffer


class Timing:
    def __init__(self):
        self.cpu = []
        self.wall = []

    @property
    def median(self):
        """Median CPU seconds."""
        return statistics.median(self.cpu)

    @property
    def wall_median(self):
        return statistics.median(self.wall)

    @property
    def repeats(self):
        return len(self.cpu)

    @property
    def spread(self):
        """Interquartile range of the CPU times relative to their median."""
        if len(self.cpu) < 4:
            return 0.0
        low, _, high = statistics.quantiles(self.cpu, n=4)
        return (high - low) / self.median


def run_once(operation, argument, timing):
    wall = time.perf_counter()
    cpu = time.thread_time()
    result = operation(argument)
    del result  # freeing what the operation made is part of its cost
    cpu = time.thread_time() - cpu
    wall = time.perf_counter() - wall
    if timing is not None:
        timing.cpu.append(cpu)
        timing.wall.append(wall)


def measure_rounds(cases, budget=6.0, min_rounds=7, max_rounds=60):
    """Times every case of `cases` (name -> (operation, prepare)) once per
    round, in order, after one untimed round; goes on until `budget` seconds
    of wall-clock time have passed (at least `min_rounds`, at most
    `max_rounds` rounds). `prepare()` makes the argument outside the timed
    part. The collector is off while timing. Returns name -> Timing."""
    timings = {name: Timing() for name in cases}
    gc_was_enabled = gc.isenabled()
    gc.disable()
    try:
        for name, (operation, prepare) in cases.items():
            run_once(operation, prepare(), None)
        start = time.perf_counter()
        rounds = 0
        while rounds < min_rounds or (time.perf_counter() - start < budget and rounds < max_rounds):
            for name, (operation, prepare) in cases.items():
                run_once(operation, prepare(), timings[name])
            rounds += 1
    finally:
        if gc_was_enabled:
            gc.enable()
    return timings


def write_table(table, output=None):
    """A Markdown table to the file named, or to standard output."""
    if output:
        output.write_text(table, encoding="utf-8")
    else:
        print(table)
