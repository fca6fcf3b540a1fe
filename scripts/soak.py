#!/usr/bin/env python3
"""Drives the shipped Vireon.exe with the trail on and the pointer moving for a
while, sampling the process's private memory from outside; fails when it grows
after the warm-up or when the program stops drawing or dies."""

import math
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import vireon_driver as d  # noqa: E402
from measure import private_kib  # noqa: E402


def main(exe, seconds):
    with d.Vireon(exe, ini="[SYSTEM]\r\nDRAWMODE=0\r\n") as v:
        on, _ = v.panel_buttons()
        d.click(*on)
        began = time.time()
        samples = []
        step = 0
        next_sample = began
        while time.time() - began < seconds:
            step += 1
            a = step * 0.11
            d.mouse_move(640 + int(350 * math.cos(a)), 520 + int(300 * math.sin(a * 1.7)))
            time.sleep(0.03)
            if time.time() >= next_sample:
                samples.append((time.time() - began, private_kib(v.proc.pid)))
                print(f"{samples[-1][0]:6.0f} s  private {samples[-1][1]} KiB", flush=True)
                next_sample += 30
            if not v.running():
                print("the program ended during the soak")
                return 1
        shot = d.Screenshot()
        drawing = len(shot.find(d.RED)) > 100
        warm = [kib for t, kib in samples if t >= 60] or [samples[-1][1]]
        growth = warm[-1] - warm[0]
        print(f"after {seconds} s: private memory {warm[0]} -> {warm[-1]} KiB after the warm-up "
              f"({growth:+d} KiB), still drawing: {drawing}")
        return 0 if drawing and growth <= 512 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 600))
