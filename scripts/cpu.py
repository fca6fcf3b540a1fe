#!/usr/bin/env python3
"""CPU time of a running Vireon, measured from outside: the program, the
wineserver, the X server and a compositing manager together, while the pointer
moves (125 positions a second along a circle, 1,000 px a second, through
XTest, as a mouse reports) and while it rests. Start Vireon with scripts/run.sh
and switch the trail on first; DISPLAY names its display."""

import math
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11  # noqa: E402

SECONDS = float(os.environ.get("CPU_SECONDS", "20"))


def pids(pattern):
    out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split()
    return [int(p) for p in out if int(p) != os.getpid()]


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except OSError:
        return 0.0


def measure(groups, action):
    before = {name: sum(cpu_seconds(p) for p in ids) for name, ids in groups.items()}
    start = time.time()
    action()
    wall = time.time() - start
    return {name: (sum(cpu_seconds(p) for p in ids) - before[name]) / wall * 100 for name, ids in groups.items()}


def moving():
    pointer = x11.Display()
    began = time.perf_counter()
    i = 0
    try:
        while time.perf_counter() < began + SECONDS:
            due = began + i / 125
            time.sleep(max(0.0, due - time.perf_counter()))
            a = (due - began) * 1000 / 200  # 1,000 px a second round a circle of radius 200
            pointer.move(int(640 + 200 * math.cos(a)), int(512 + 200 * math.sin(a)))
            i += 1
    finally:
        pointer.close()


def resting():
    subprocess.run(["xdotool", "mousemove", "900", "700"])
    time.sleep(SECONDS)


def main():
    display = os.environ.get("DISPLAY", "")
    groups = {
        "Vireon.exe": pids("Vireon.exe"),
        "wineserver": pids("wineserver"),
        # A server started with -displayfd does not name its display: then any X server here.
        "X server": pids(f"X[a-z]* {display}( |$)") or pids("^X(vfb|ephyr|org)( |$)"),
        "compositor": pids("xcompmgr"),
    }
    if not groups["Vireon.exe"]:
        sys.exit("cpu: no Vireon.exe running")
    for name, action in (("pointer moving", moving), ("pointer resting", resting)):
        share = measure(groups, action)
        parts = ", ".join(f"{k} {v:.1f} %" for k, v in share.items())
        print(f"{name:16} {sum(share.values()):5.1f} % of one core ({parts})")


if __name__ == "__main__":
    main()
