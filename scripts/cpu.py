#!/usr/bin/env python3
"""CPU time of a running Vireon, measured from outside: the program, the
wineserver and the X server together, while the pointer moves (20 positions a
second along a circle, as a hand would) and while it rests. Start Vireon with
scripts/run.sh and switch the trail on first; DISPLAY names its display."""

import math
import os
import subprocess
import sys
import time

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
    end = time.time() + SECONDS
    i = 0
    while time.time() < end:
        a = i * 2 * math.pi / 40
        subprocess.run(["xdotool", "mousemove", str(int(640 + 200 * math.cos(a))), str(int(512 + 200 * math.sin(a)))])
        i += 1
        time.sleep(0.05)


def resting():
    subprocess.run(["xdotool", "mousemove", "900", "700"])
    time.sleep(SECONDS)


def main():
    display = os.environ.get("DISPLAY", "")
    groups = {
        "Vireon.exe": pids("Vireon.exe"),
        "wineserver": pids("wineserver"),
        "X server": pids(f"X[a-z]* {display}( |$)"),
    }
    if not groups["Vireon.exe"]:
        sys.exit("cpu: no Vireon.exe running")
    for name, action in (("pointer moving", moving), ("pointer resting", resting)):
        share = measure(groups, action)
        parts = ", ".join(f"{k} {v:.1f} %" for k, v in share.items())
        print(f"{name:16} {sum(share.values()):5.1f} % of one core ({parts})")


if __name__ == "__main__":
    main()
