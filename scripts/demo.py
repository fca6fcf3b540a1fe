#!/usr/bin/env python3
"""Headless demo: starts Vireon on the current (virtual) display, switches the
trail on, moves the pointer along a figure eight and writes screenshots."""

import math
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import vireon_driver as d  # noqa: E402


def figure_eight(cx, cy, rx, ry, steps):
    return [(int(cx + rx * math.sin(t)), int(cy + ry * math.sin(2 * t) / 2))
            for t in (2 * math.pi * i / steps for i in range(steps + 1))]


def switch_on_and_draw(v):
    """Switches the trail on and moves the pointer along most of a figure
    eight; the screenshot that follows shows the whole tail. Returns the
    pointer's last spot."""
    on, _ = v.panel_buttons()
    d.click(*on)
    d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)
    path = figure_eight(640, 480, 260, 300, 90)[:56]
    for point in path:
        d.mouse_move(*point)
        time.sleep(0.05)
    return path[-1]


def crop(source, target, box):
    x0, y0, w, h = box
    subprocess.run(["convert", source, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage", target], check=True)


def half_closed(screen, cx, cy):
    """The 260 px square round the pointer as RGB bytes once the red rings in it
    are about half their starting size across, else None."""
    x, y = screen.pointer()
    box = screen.strip(x - 130, y - 130, 260, 260)
    red = [(i % 260, i // 260) for i in range(260 * 260)
           if box[3 * i] > 240 and box[3 * i + 1] < 200 and box[3 * i + 2] < 200]
    if len(red) < 30:
        return None
    radius = sorted(math.hypot(px - 130, py - 130) for px, py in red)[len(red) - 1]
    return box if 40 <= radius <= 70 else None


def main(exe, out):
    os.makedirs(out, exist_ok=True)
    subprocess.run(["xsetroot", "-solid", "#2f5f8f"], check=False)
    with d.Vireon(exe, ini="[SYSTEM]\r\nDRAWMODE=0\r\n") as v:
        on, _ = v.panel_buttons()
        _, wx, wy, ww, wh = v.main_window()
        full = os.path.join(out, "desktop-start.png")
        d.Screenshot(full)
        crop(full, os.path.join(out, "main-window.png"), (wx, wy, ww, wh))

        # The About box, from the system menu's last entry.
        about = v.open_about()
        d.Screenshot(full)
        crop(full, os.path.join(out, "about-box.png"), about[1:])
        v.close_about(about)

        # The settings dialog, opened and cancelled.
        _, settings = v.panel_buttons()
        d.click(*settings)
        dialog = d.SettingsDialog()
        d.Screenshot(full)
        crop(full, os.path.join(out, "settings-dialog.png"), dialog.window[1:])
        dialog.click(*d.CANCEL_BUTTON)
        d.await_state(lambda: not dialog.is_open(), "the settings dialog to close", 5)

        d.click(*on)
        d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)
        path = figure_eight(640, 480, 260, 300, 90)
        shots = 0
        for i, point in enumerate(path):
            d.mouse_move(*point)
            time.sleep(0.05)
            if i in (30, 55, 80):
                shots += 1
                name = os.path.join(out, f"trail-{shots}.png")
                shot = d.Screenshot(name)
                # The trail and a margin round it, the pointer's spot included.
                hits = shot.find(d.RED) + [point]
                x0 = max(0, min(p[0] for p in hits) - 60)
                y0 = max(0, min(p[1] for p in hits) - 60)
                x1 = min(shot.width, max(p[0] for p in hits) + 60)
                y1 = min(shot.height, max(p[1] for p in hits) + 60)
                crop(name, os.path.join(out, f"trail-{shots}-near-pointer.png"), (x0, y0, x1 - x0, y1 - y0))
    # The settings dialog in English, as any interface language but Japanese shows it.
    with d.Vireon(exe, ini="[SYSTEM]\r\nDRAWMODE=0\r\n", env=d.ENGLISH["env"]) as v:
        _, settings = v.panel_buttons()
        d.click(*settings)
        dialog = d.SettingsDialog(language=d.ENGLISH)
        full = os.path.join(out, "desktop-english.png")
        d.Screenshot(full)
        crop(full, os.path.join(out, "settings-dialog-english.png"), dialog.window[1:])
    # The tapered curve, lines only at 10 points: the tail narrows with age.
    with d.Vireon(exe, ini="[SYSTEM]\r\nDRAWMODE=2\r\nLINEPOINT=2\r\nLINEKIND=2\r\n") as v:
        last = switch_on_and_draw(v)
        # Taken while the tail is whole: at rest it shrinks to the pointer.
        name = os.path.join(out, "trail-tapered.png")
        shot = d.Screenshot(name)
        hits = shot.find(d.RED) + [last]
        x0 = max(0, min(p[0] for p in hits) - 60)
        y0 = max(0, min(p[1] for p in hits) - 60)
        x1 = min(shot.width, max(p[0] for p in hits) + 60)
        y1 = min(shot.height, max(p[1] for p in hits) + 60)
        crop(name, os.path.join(out, "trail-tapered-near-pointer.png"), (x0, y0, x1 - x0, y1 - y0))
    # Fading, over a coloured desktop that xcompmgr blends it with, as Windows does.
    d.x11.paint_desktop("#2f5f8f")
    with d.Compositor(), d.Vireon(exe, ini="[SYSTEM]\r\nDRAWMODE=0\r\nLINEPOINT=2\r\nPOINTPOINT=1\r\nTRANSPARENT=100\r\nFADE=1\r\n") as v:
        switch_on_and_draw(v)
        name = os.path.join(out, "trail-fading.png")
        d.Screenshot(name)
        # Where the last 700 ms of the figure eight lie.
        crop(name, os.path.join(out, "trail-fading-near-pointer.png"), (400, 330, 400, 330))
    # The halo and a shake's closing rings, over Notepad (Wine reads the pointer
    # from its own windows' motion), blended by xcompmgr as Windows does.
    notepad = subprocess.Popen([d.WINE_RUN, "notepad.exe"], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pad = d.await_state(lambda: next((w for w in d.top_windows()
                                          if "Notepad" in w[0] or "メモ帳" in w[0]), None), "Notepad", 60)
        cx, cy = pad[1] + pad[3] // 2, pad[2] + pad[4] // 2
        ini = "[SYSTEM]\r\nDRAWMODE=2\r\nPOINTCOLOR=3\r\nTRANSPARENT=100\r\nFADE=1\r\nHALO=1\r\nSHAKE=1\r\n"
        with d.Compositor(), d.Vireon(exe, ini=ini) as v:
            on, _ = v.panel_buttons()
            d.click(*on)
            d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)
            for i in range(30):
                d.mouse_move(cx - 150 + 5 * i, cy + int(30 * math.sin(i / 5)))
                time.sleep(0.02)
            time.sleep(0.1)
            name = os.path.join(out, "halo.png")
            d.Screenshot(name)
            crop(name, os.path.join(out, "halo-near-pointer.png"), (cx - 220, cy - 80, 300, 160))
        # The rings half closed: the shake with the trail off, the frame kept
        # when their radius is about half their start's.
        with d.Compositor(), d.Vireon(exe, ini="[SYSTEM]\r\nSHAKE=1\r\n") as v:
            v.panel_buttons()
            screen = d.x11.Display()
            try:
                for _ in range(3):
                    d.follow(lambda t: (cx + int(80 * math.sin(2 * math.pi * 4 * t)), cy), 0.8)  # four swings a second
                    shot = d.wait_for(lambda: half_closed(screen, cx, cy), 2, 0)
                    if shot:
                        break
                    time.sleep(1.6)
            finally:
                screen.close()
            if shot:
                subprocess.run(["convert", "-size", "260x260", "-depth", "8", "rgb:-", "+repage",
                                os.path.join(out, "find-rings.png")], input=shot, check=True)
    finally:
        notepad.kill()
        notepad.wait(10)
    print("demo screenshots in", out)
    for name in sorted(os.listdir(out)):
        print("  ", name)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
