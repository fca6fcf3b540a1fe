#!/usr/bin/env python3
"""CPU time of Vireon, measured from outside: the program, the wineserver, the
X server and xcompmgr together, while the pointer moves (125 positions a second
along a circle, 1,000 px a second, through XTest, as a mouse reports) and while
it rests.

Wine learns where the pointer is from the motion events of its own windows;
over another X client's window GetCursorPos answers from a position up to
100 ms old, so no frame would see motion. The circle therefore runs over a Wine
window: Notepad, opened first, as scripts/lag.py does.

    DISPLAY=:N python3 scripts/cpu.py [--set KEY=VALUE ...] [path/to/Vireon.exe ...]

Starts each Vireon in turn (its own folder; lines only, smooth curve, フェード,
opaque, plus the keys set) under xcompmgr on the display named, switches the
trail on and measures it; with several exes the figures stand side by side in
one run on one machine, which is how two builds are compared."""

import argparse
import math
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import vireon_driver as d  # noqa: E402

SECONDS = float(os.environ.get("CPU_SECONDS", "20"))
CENTRE, RADIUS = (500, 450), 200


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
    before = {p: cpu_seconds(p) for ids in groups.values() for p in ids}
    start = time.time()
    action()
    wall = time.time() - start
    # A process that ended meanwhile (a wineserver's helper) counts for nothing.
    return {name: sum(max(0.0, cpu_seconds(p) - before[p]) for p in ids) / wall * 100 for name, ids in groups.items()}


def moving():
    def at(t):
        a = t * 1000 / RADIUS  # 1,000 px a second round the circle
        return int(CENTRE[0] + RADIUS * math.cos(a)), int(CENTRE[1] + RADIUS * math.sin(a))
    d.follow(at, SECONDS)


def resting():
    d.mouse_move(*CENTRE)
    time.sleep(SECONDS)


def run(exe, keys):
    settings = {"DRAWMODE": "2", "TRANSPARENT": "100", "FADE": "1"}
    settings.update(k.split("=", 1) for k in keys)
    ini = "[SYSTEM]\r\n" + "".join(f"{k}={v}\r\n" for k, v in settings.items())
    with d.Vireon(exe, ini=ini) as v:
        on, _ = v.panel_buttons()
        d.click(*on)
        d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 10)
        display = os.environ.get("DISPLAY", "")
        groups = {
            "Vireon.exe": pids("Vireon.exe"),
            "wineserver": pids("wineserver"),
            # A server started with -displayfd does not name its display: then any X server here.
            "X server": pids(f"X[a-z]* {display}( |$)") or pids("^X(vfb|ephyr|org)( |$)"),
            "compositor": pids("xcompmgr"),
        }
        print(exe, " ".join(keys))
        for name, action in (("pointer moving", moving), ("pointer resting", resting)):
            share = measure(groups, action)
            parts = ", ".join(f"{k} {v:.1f} %" for k, v in share.items())
            print(f"  {name:16} {sum(share.values()):5.1f} % of one core ({parts})", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--set", action="append", default=[], metavar="KEY=VALUE", help="a settings line")
    parser.add_argument("exe", nargs="*", default=[os.path.join(d.ROOT, "build", "windows", "Vireon.exe")])
    args = parser.parse_args()
    notepad = subprocess.Popen([d.WINE_RUN, "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pad = d.await_state(lambda: next((w for w in d.top_windows() if w[3] > 200), None), "Notepad", 30)
        # Notepad under the whole circle, with room for the pen.
        side = 2 * RADIUS + 100
        d.x("xdotool", "windowmove", "--sync", str(pad.xid), str(CENTRE[0] - side // 2), str(CENTRE[1] - side // 2))
        d.x("xdotool", "windowsize", "--sync", str(pad.xid), str(side), str(side))
        with d.Compositor():
            for exe in args.exe:
                run(exe, args.set)
    finally:
        notepad.kill()


if __name__ == "__main__":
    main()
