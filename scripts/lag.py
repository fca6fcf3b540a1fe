#!/usr/bin/env python3
"""How far the trail's head lags the pointer, measured from outside: XTest
moves the pointer along a row at a constant speed (1,000 px a second, 125
positions a second, as a mouse reports), while the row is read from the screen
as often as it can be. The head is the trail's newest, full-coloured end; its
lag is the pointer's x (asked of the X server right after the read) less the
x where the head's full colour ends (so a round cap of half the line's width
counts a few pixels in the head's favour). Prints the median, 90th percentile
and largest lag in pixels, and how many times a second the head moved, for
the fading trail and the colour key.

Wine learns where the pointer is from the motion events of its own windows;
over a window of another X client, or the bare root window, GetCursorPos
answers from a position up to 100 ms old (win32u's NtUserGetCursorPos asks
the X server only when the last change is older than that). Windows has no
such delay, so the stroke runs over a Wine window: Notepad, opened first.

    DISPLAY=:N python3 scripts/lag.py [path/to/Vireon.exe]

Starts Vireon itself (its own folder and settings), under xcompmgr, on the
display named; measures nothing else."""

import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import vireon_driver as d  # noqa: E402

SPEED = 1000.0  # pixels a second
RATE = 125  # positions a second
ROW, START, END = 500, 100, 900
DESKTOP = (47, 95, 143)


def head_x(line, lo, hi):
    """The right-most x in [lo, hi) whose pixel is the line's full red, or None."""
    for x in range(hi - 1, lo - 1, -1):
        r, g, b = line[3 * x:3 * x + 3]
        if r > 200 and g < 60 and b < 60:
            return x
    return None


def sweep(screen, width):
    """One stroke rightwards along the row; (lags, head moves a second)."""
    began = [None]
    done = threading.Event()

    def mover():
        pointer = d.x11.Display()
        try:
            steps = int((END - START) / SPEED * RATE)
            began[0] = time.perf_counter()
            for i in range(steps + 1):
                due = began[0] + i / RATE
                time.sleep(max(0.0, due - time.perf_counter()))
                pointer.move(START + SPEED * (due - began[0]), ROW)
        finally:
            pointer.close()
            done.set()

    screen.move(START, ROW)
    time.sleep(1.0)  # the trail comes to rest at the start
    thread = threading.Thread(target=mover)
    thread.start()
    lags, heads = [], []
    while not done.is_set():
        if began[0] is None:
            continue
        line = screen.strip(0, ROW, width)
        at = time.perf_counter() - began[0]
        pointer = screen.pointer()[0]
        head = head_x(line, START, min(width, pointer + 20))
        # Only where the stroke is under way and the grab lies within it.
        if head is not None and START + 100 < pointer < END - 20:
            lags.append(pointer - head)
            if not heads or heads[-1][1] != head:
                heads.append((at, head))
    thread.join()
    moves = len(heads) / (heads[-1][0] - heads[0][0]) if len(heads) > 1 else 0.0
    return lags, moves


def measure(exe, fade):
    ini = "[SYSTEM]\r\nDRAWMODE=2\r\nTRANSPARENT=100\r\nFADE=%d\r\n" % fade
    with d.Vireon(exe, ini=ini) as v:
        on, _ = v.panel_buttons()
        d.click(*on)
        d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 10)
        screen = d.x11.Display()
        try:
            lags, moves = [], []
            for _ in range(5):
                got, rate = sweep(screen, 1280)
                lags += got
                moves.append(rate)
        finally:
            screen.close()
    lags.sort()
    name = "fading" if fade else "colour key"
    if not lags:
        print(f"{name:10}: no head seen on the row")
        return
    print(f"{name:10}: lag median {statistics.median(lags):5.1f} px, 90th percentile "
          f"{lags[int(len(lags) * 0.9)]:5.1f} px, largest {lags[-1]:5.1f} px ({len(lags)} reads); "
          f"the head moved {statistics.median(moves):5.1f} times a second")


def main():
    exe = sys.argv[1] if len(sys.argv) > 1 else os.path.join(d.ROOT, "build", "windows", "Vireon.exe")
    d.x11.paint_desktop("#%02x%02x%02x" % DESKTOP)
    notepad = subprocess.Popen([d.WINE_RUN, "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pad = d.await_state(lambda: next((w for w in d.top_windows() if w[3] > 400), None), "Notepad", 30)
        if not (pad[1] <= START and END <= pad[1] + pad[3] and pad[2] <= ROW < pad[2] + pad[4]):
            sys.exit("lag: Notepad at %r does not lie under the stroke" % (pad,))
        with d.Compositor():
            for fade in (1, 0):
                measure(exe, fade)
    finally:
        notepad.kill()


if __name__ == "__main__":
    main()
