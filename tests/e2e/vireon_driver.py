"""Drives the shipped Vireon.exe under Wine on an X display with xdotool and
judges what it shows from screenshots. Used by the end-to-end tests and the demo."""

import os
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")

RED = (255, 0, 0)
BLUE = (0, 0, 255)
PANEL_GREY = (200, 200, 200)


def x(*args, check=True):
    return subprocess.run(list(args), check=check, capture_output=True, text=True).stdout


def mouse_move(px, py):
    x("xdotool", "mousemove", str(px), str(py))


def click(px, py):
    mouse_move(px, py)
    time.sleep(0.1)
    x("xdotool", "click", "1")


def key(combo):
    x("xdotool", "key", combo)


def top_windows():
    """Named top-level X windows as (name, x, y, width, height)."""
    out = x("xwininfo", "-root", "-children")
    found = []
    for line in out.splitlines():
        line = line.strip()
        if not line.startswith("0x") or '"' not in line.split(":")[0]:
            continue
        name = line.split('"')[1]
        geometry = line.rsplit(")", 1)[-1].split()[0]
        size, _, pos = geometry.partition("+")
        w, h = (int(v) for v in size.split("x"))
        px, py = (int(v) for v in pos.split("+")[:2])
        found.append((name, px, py, w, h))
    return found


def wait_for(predicate, timeout=10.0, step=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class Screenshot:
    """The whole screen in memory; written to `path` only when one is given."""

    def __init__(self, path=None):
        png = subprocess.run(["import", "-window", "root", "png:-"], check=True, capture_output=True).stdout
        if path:
            with open(path, "wb") as f:
                f.write(png)
        self.rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png, check=True,
                                  capture_output=True).stdout
        size = subprocess.run(["identify", "-format", "%w %h", "png:-"], input=png, check=True,
                              capture_output=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])

    def pixel(self, px, py):
        i = (py * self.width + px) * 3
        return tuple(self.rgb[i:i + 3])

    def find(self, color, region=None):
        """Coordinates of every pixel of exactly `color` (within region x0, y0, x1, y1)."""
        x0, y0, x1, y1 = region or (0, 0, self.width, self.height)
        target = bytes(color)
        hits = []
        for py in range(max(0, y0), min(self.height, y1)):
            row = self.rgb[py * self.width * 3:(py + 1) * self.width * 3]
            start = 0
            while True:
                i = row.find(target, start)
                if i < 0:
                    break
                if i % 3 == 0 and x0 * 3 <= i < x1 * 3:
                    hits.append((i // 3, py))
                start = i + 1
        return hits


class Vireon:
    """One running Vireon.exe in a folder of its own (so its INI is its own)."""

    def __init__(self, exe, ini=None, args=(), folder=None, cwd=None, program="Vireon.exe", env=None):
        self.folder = folder or tempfile.mkdtemp(prefix="vireon-e2e-")
        shutil.copy(exe, os.path.join(self.folder, "Vireon.exe"))
        if ini is not None:
            with open(os.path.join(self.folder, "Vireon.ini"), "w", newline="") as f:
                f.write(ini)
        self.proc = subprocess.Popen([WINE_RUN, program, *args], cwd=cwd or self.folder,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     stdin=subprocess.DEVNULL, env={**os.environ, **(env or {})})

    def main_window(self, timeout=15.0):
        return wait_for(lambda: next((w for w in top_windows() if w[0] == "Vireon"), None), timeout)

    def panel_buttons(self, timeout=10.0):
        """Screen centres of the ON/OFF toggle and the settings button, found by the panel's grey."""
        found = wait_for(self._panel_buttons, timeout, 0.2)
        if not found:
            raise AssertionError("no control panel visible")
        return found

    def _panel_buttons(self):
        window = self.main_window(0)
        if not window:
            return None
        name, wx, wy, ww, wh = window
        shot = Screenshot()
        grey = shot.find(PANEL_GREY, (wx, wy, wx + ww, wy + wh))
        # The panel's rims are long grey rows; short grey runs elsewhere (caption buttons) are not it.
        rows = {}
        for px, py in grey:
            rows.setdefault(py, []).append(px)
        rims = {py: xs for py, xs in rows.items() if len(xs) >= ww // 2}
        if not rims:
            return None
        top, bottom = min(rims), max(rims)
        left, right = min(min(xs) for xs in rims.values()), max(max(xs) for xs in rims.values())
        cx = (left + right) // 2
        height = bottom - top
        return (cx, top + height * 30 // 100), (cx, top + height * 72 // 100)

    def open_about(self):
        """Opens the About box from the system menu; its window, or None when it did not open."""
        main_width = self.main_window()[3]
        key("alt+space")
        time.sleep(0.4)
        key("Up")  # our entry is the menu's last
        key("Return")
        about = wait_for(lambda: next((w for w in top_windows() if w[0] == "Vireon" and w[3] != main_width), None), 5)
        if about:
            time.sleep(0.3)  # painted
        return about

    def about_box(self):
        """Opens the About box; returns its pixels, and leaves it closed."""
        about = self.open_about()
        if not about:
            raise AssertionError("the About box did not open")
        shot = Screenshot()
        _, ax, ay, aw, ah = about
        pixels = b"".join(shot.rgb[((ay + row) * shot.width + ax) * 3:((ay + row) * shot.width + ax + aw) * 3]
                          for row in range(ah))
        key("Return")
        wait_for(lambda: len([w for w in top_windows() if w[0] == "Vireon"]) == 1, 5)
        return pixels

    def ini(self):
        path = os.path.join(self.folder, "Vireon.ini")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("ascii", "replace")

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=15.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.running():
            self.proc.kill()
            self.proc.wait(10)
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def move_along(points, tick=0.05):
    for px, py in points:
        mouse_move(px, py)
        time.sleep(tick)


def circle(cx, cy, r, steps=24):
    import math
    return [(int(cx + r * math.cos(2 * math.pi * i / steps)), int(cy + r * math.sin(2 * math.pi * i / steps)))
            for i in range(steps + 1)]


class SettingsDialog:
    """The open settings dialog, with its controls found from the template's dialog units.
    The pixels per unit come from the window on screen, so any DPI and font will do."""

    UNITS = (334, 201)  # the template's client size in dialog units

    def __init__(self, timeout=10.0):
        self.window = wait_for(lambda: next((w for w in top_windows() if w[0] == "設定"), None), timeout)
        if not self.window:
            raise AssertionError("the settings dialog did not open")
        time.sleep(0.3)  # painted
        _, wx, wy, ww, wh = self.window
        shot = Screenshot()
        # Down the middle: the frame, the caption (the only saturated colour), then the client area.
        column = [shot.pixel(wx + ww // 2, wy + y) for y in range(wh)]
        caption = [y for y, c in enumerate(column) if max(c) - min(c) > 60]
        if not caption:
            raise AssertionError("no caption found on the settings dialog")
        frame = caption[0] - 1
        top = next(y for y in range(caption[0], wh) if y not in caption and column[y] == column[-frame - 2])
        client = (ww - 2 * frame, wh - top - frame)
        self.origin = (wx + frame, wy + top)
        self.scale = (client[0] / self.UNITS[0], client[1] / self.UNITS[1])

    def point(self, x, y, w, h):
        """Screen centre of a control given by its template rectangle."""
        return (self.origin[0] + round((x + w / 2) * self.scale[0]), self.origin[1] + round((y + h / 2) * self.scale[1]))

    def click(self, x, y, w, h):
        click(*self.point(x, y, w, h))
        time.sleep(0.15)

    def is_open(self):
        return any(w[0] == "設定" for w in top_windows())


# Template rectangles of the settings dialog's controls.
LINE_BLUE = (78, 78, 24, 10)
HOTKEY_ENABLED = (186, 138, 32, 10)
HOTKEY_FIELD = (180, 150, 78, 14)
OK_BUTTON = (24, 180, 50, 14)
