#!/usr/bin/env python3
"""Measured figures of the shipped program under Wine: the exe's size, the time
from start to the main window being shown (warm prefix), and the process's
private memory after 1,000 timer ticks with the trail on and the pointer moving.
Prints figures; judges nothing."""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import vireon_driver as d  # noqa: E402


def private_kib(pid):
    """Private (not shared) resident memory of a process, from Linux's accounting."""
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total


def main(exe, ticks):
    print(f"exe size: {os.path.getsize(exe)} bytes ({os.path.getsize(exe) / 1024 / 1024:.2f} MiB)")

    starts = []
    for _ in range(6):
        began = time.perf_counter()
        with d.Vireon(exe) as v:
            d.wait_for(lambda: any(w[0] == "Vireon" and w[4] > 40 for w in d.top_windows()), 20, 0.005)
            starts.append((time.perf_counter() - began) * 1000)
            v.panel_buttons()
    print(f"start to main window shown: median {statistics.median(starts[1:]):.0f} ms "
          f"(warm runs {', '.join(f'{s:.0f}' for s in starts[1:])}; first {starts[0]:.0f} ms)")

    with d.Vireon(exe) as v:
        on, _ = v.panel_buttons()
        d.click(*on)
        began = time.time()
        before = private_kib(v.proc.pid)
        step = 0
        # 1,000 ticks of 50 ms, the pointer moving all the time.
        while time.time() - began < ticks * 0.05:
            step += 1
            d.mouse_move(640 + (step * 37) % 400 - 200, 500 + (step * 23) % 300 - 150)
            time.sleep(0.02)
        after = private_kib(v.proc.pid)
        print(f"private memory of the Wine process: {before} KiB after start, {after} KiB after {ticks} ticks "
              f"(includes Wine's own libraries and heaps)")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1000)
