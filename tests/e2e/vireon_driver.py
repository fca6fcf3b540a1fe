"""Drives the shipped Vireon.exe under Wine on an X display with xdotool and
judges what it shows from screenshots. Used by the end-to-end tests and the demo."""

import os
import shutil
import subprocess
import tempfile
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import x11  # noqa: E402

RED = (255, 0, 0)
BLUE = (0, 0, 255)
PANEL_GREY = (200, 200, 200)


def x(*args, check=True):
    return subprocess.run(list(args), check=check, capture_output=True, text=True).stdout


def mouse_move(px, py):
    x("xdotool", "mousemove", str(px), str(py))


def click(px, py):
    # One command: the X server takes the move before the press, in order.
    x("xdotool", "mousemove", str(px), str(py), "click", "1")


class Window(tuple):
    """A top-level X window: (name, x, y, width, height), with its X id."""

    def __new__(cls, xid, name, px, py, w, h):
        window = super().__new__(cls, (name, px, py, w, h))
        window.xid = xid
        return window


def top_windows(named=True):
    """Mapped top-level X windows (only named ones unless told) as Window tuples."""
    out = x("xwininfo", "-root", "-children")
    found = []
    for line in out.splitlines():
        line = line.strip()
        if not line.startswith("0x"):
            continue
        head = line.split(":")[0]
        if named and '"' not in head:
            continue
        name = line.split('"')[1] if '"' in head else ""
        geometry = line.rsplit(")", 1)[-1].split()[0]
        size, _, pos = geometry.partition("+")
        w, h = (int(v) for v in size.split("x"))
        px, py = (int(v) for v in pos.split("+")[:2])
        found.append(Window(int(line.split()[0], 16), name, px, py, w, h))
    return found


def wait_for(predicate, timeout=10.0, step=0.1):
    """The predicate's first true value, or its last value after `timeout` seconds."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def await_state(predicate, what, timeout=10.0, step=0.1):
    """Like wait_for, but a timeout fails, saying what was awaited."""
    value = wait_for(predicate, timeout, step)
    if not value:
        raise AssertionError("timed out after %gs waiting for %s" % (timeout, what))
    return value


def focused_window():
    """The X id of the window that has the keyboard focus (0 for none)."""
    out = subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True).stdout.strip()
    return int(out) if out.isdigit() else 0


def key(combo, window, give_focus=True):
    """Presses `combo` once `window` (a Window) has the keyboard focus. Wine
    gives a new window the focus by itself most of the time, but on a first run
    of a fresh display or prefix, or on a loaded machine, it may leave the X
    focus where it was for good, even with the window active (it was activated
    before X mapped it). So the focus is given: a click on the middle of the
    caption, which does nothing else, activates the window if it is not active
    (Wine activates a window it is clicked in), and the X focus is then put on
    it, which Wine follows for a window it may activate. A test about who gets
    the focus passes give_focus=False and waits for the program's own doing."""
    if give_focus and focused_window() != window.xid:
        _, wx, wy, ww, wh = window
        click(wx + ww // 2, wy + min(wh // 2, 8))
        x("xdotool", "windowfocus", str(window.xid), check=False)
    if not wait_for(lambda: focused_window() == window.xid, 10, 0.05):
        raise AssertionError("timed out after 10s waiting for the keyboard focus on %r (0x%x); it is on 0x%x of %r"
                             % (window[0], window.xid, focused_window(), top_windows(named=False)))
    x("xdotool", "key", combo)


def caption_button(window, from_right):
    """Screen centre of a caption button of `window`, counted from the right
    (0 the close box, 2 the minimise box): the buttons are the runs of their
    light top edge along the caption's upper rows, at any DPI."""
    _, wx, wy, ww, wh = window
    screen = x11.Display()
    try:
        for dy in range(1, min(wh, 24)):
            row = screen.strip(wx, wy + dy, ww)
            light = [i // 3 for i in range(0, len(row), 3) if min(row[i:i + 3]) > 0xd8 and ww // 2 < i // 3]
            runs = []
            for px in light:
                if runs and px == runs[-1][1] + 1:
                    runs[-1][1] = px
                else:
                    runs.append([px, px])
            runs = [r for r in runs if r[1] - r[0] >= 8]
            if len(runs) >= 3:
                left, right = runs[-1 - from_right]
                return wx + (left + right) // 2, wy + dy + (right - left) // 2
    finally:
        screen.close()
    raise AssertionError("no caption buttons on %r" % (window,))


def find_window(name, exclude=()):
    """The mapped window called `name`, not one of `exclude` (X ids)."""
    return next((w for w in top_windows() if w[0] == name and w.xid not in exclude), None)


def settled(region, timeout=5.0):
    """Waits until the screen inside region (x, y, w, h) is painted: two shots in
    a row agree and it is not a single colour. Returns the last screenshot."""
    px, py, w, h = region
    last = [None]

    def crop():
        shot = Screenshot()
        rows = b"".join(shot.rgb[((py + r) * shot.width + px) * 3:((py + r) * shot.width + px + w) * 3]
                        for r in range(h))
        done = rows == last[0] and len(set(rows[i:i + 3] for i in range(0, len(rows), 3 * 7))) > 1
        last[0] = rows
        return shot if done else None

    return await_state(crop, "the window at %r to be painted" % (region,), timeout, 0.1)


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
        if not os.path.exists(os.path.join(self.folder, "Vireon.exe")):
            shutil.copy(exe, os.path.join(self.folder, "Vireon.exe"))
        if ini is not None:
            with open(os.path.join(self.folder, "Vireon.ini"), "w", newline="") as f:
                f.write(ini)
        self.proc = subprocess.Popen([WINE_RUN, program, *args], cwd=cwd or self.folder,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     stdin=subprocess.DEVNULL, env={**os.environ, **(env or {})})

    def main_window(self, timeout=15.0):
        """The main window: the first window called Vireon that this run saw."""
        if getattr(self, "_main", None) is None:
            self._main = wait_for(lambda: find_window("Vireon"), timeout)
            return self._main
        return wait_for(lambda: next((w for w in top_windows() if w.xid == self._main.xid), None), timeout)

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
        """Opens the About box from the system menu's last entry; its window, painted."""
        main = self.main_window()
        before = {w.xid for w in top_windows(named=False)}
        key("alt+space", main)
        # The menu is a window of its own; the keys for it still go to the main window.
        await_state(lambda: {w.xid for w in top_windows(named=False)} - before, "the system menu", 5)
        # Clicked now, the caption would close the menu: the focus is main's already.
        key("Up", main, give_focus=False)  # our entry is the menu's last
        key("Return", main, give_focus=False)
        about = await_state(lambda: find_window("Vireon", {main.xid}), "the About box", 5)
        settled(about[1:])
        return about

    def about_box(self):
        """Opens the About box; returns its pixels, and leaves it closed."""
        about = self.open_about()
        shot = Screenshot()
        _, ax, ay, aw, ah = about
        pixels = b"".join(shot.rgb[((ay + row) * shot.width + ax) * 3:((ay + row) * shot.width + ax + aw) * 3]
                          for row in range(ah))
        self.close_about(about)
        return pixels

    def close_about(self, about):
        """Clicks the About box's OK. A key would not do: Wine may leave the X
        focus with the main window after the system menu closes."""
        TemplateDialog(about, ABOUT_UNITS).click(*ABOUT_OK)
        await_state(lambda: not any(w.xid == about.xid for w in top_windows()), "the About box to close", 5)

    def ini(self):
        path = os.path.join(self.folder, "Vireon.ini")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("ascii", "replace")

    def await_ini(self, *lines, timeout=5.0):
        """The settings file once it holds every one of `lines`. The panel saves
        after the settings dialog has returned, so the dialog's window can be
        gone before the file is written."""
        def saved():
            text = self.ini()
            return text if all(line in text for line in lines) else None
        return await_state(saved, "Vireon.ini to hold %r" % (lines,), timeout)

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


class Compositor:
    """xcompmgr on the test display while the block runs: per-pixel alpha then
    blends with what lies below, as on Windows, instead of showing black."""

    def __enter__(self):
        self.process = subprocess.Popen(["xcompmgr"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        await_state(lambda: x11.selection_owner("_NET_WM_CM_S0"), "xcompmgr to take the screen", 10)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(10)


def move_along(points, tick=0.05):
    for px, py in points:
        mouse_move(px, py)
        time.sleep(tick)


class Circling:
    """Moves the pointer round and round a circle, a step every 50 ms, while
    the block runs: whatever a check reads meanwhile, and however long it takes,
    it reads it while the pointer moves. `steps` counts the steps made."""

    def __init__(self, cx, cy, r, steps=24):
        self.points = circle(cx, cy, r, steps)[:-1]
        self.steps = 0
        self._stop = threading.Event()

    def _run(self):
        pointer = x11.Display()
        try:
            while not self._stop.is_set():
                pointer.move(*self.points[self.steps % len(self.points)])
                self.steps += 1
                self._stop.wait(0.05)
        finally:
            pointer.close()

    def __enter__(self):
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join(10)


def follow(path, seconds):
    """Moves the pointer along path(t), t in seconds, 125 positions a second
    (as a mouse reports), through XTest, for `seconds`."""
    pointer = x11.Display()
    began = time.perf_counter()
    try:
        for i in range(int(seconds * 125)):
            due = began + i / 125
            time.sleep(max(0.0, due - time.perf_counter()))
            pointer.move(*path(due - began))
    finally:
        pointer.close()


def circle(cx, cy, r, steps=24):
    import math
    return [(int(cx + r * math.cos(2 * math.pi * i / steps)), int(cy + r * math.sin(2 * math.pi * i / steps)))
            for i in range(steps + 1)]


class TemplateDialog:
    """A dialog on screen, with its controls found from its template's dialog units.
    The pixels per unit come from the window on screen, so any DPI and font will do."""

    def __init__(self, window, units):
        self.window = window
        self.units = units
        _, wx, wy, ww, wh = window
        shot = settled(window[1:])
        # Down the middle: the frame, the caption (the only saturated colour), then the client area.
        column = [shot.pixel(wx + ww // 2, wy + y) for y in range(wh)]
        caption = [y for y, c in enumerate(column) if max(c) - min(c) > 60]
        if not caption:
            raise AssertionError("no caption found on the dialog %r" % (window,))
        frame = caption[0] - 1
        top = next(y for y in range(caption[0], wh) if y not in caption and column[y] == column[-frame - 2])
        client = (ww - 2 * frame, wh - top - frame)
        self.origin = (wx + frame, wy + top)
        self.scale = (client[0] / units[0], client[1] / units[1])

    def point(self, x, y, w, h):
        """Screen centre of a control given by its template rectangle."""
        return (self.origin[0] + round((x + w / 2) * self.scale[0]), self.origin[1] + round((y + h / 2) * self.scale[1]))

    def click(self, x, y, w, h):
        click(*self.point(x, y, w, h))

    def region(self, x, y, w, h):
        """The screen rectangle (x, y, w, h) of a control given by its template rectangle."""
        left, top = self.origin[0] + round(x * self.scale[0]), self.origin[1] + round(y * self.scale[1])
        return left, top, round(w * self.scale[0]), round(h * self.scale[1])

    def focus_field(self, rect):
        """Clicks an input field and waits until it has the focus: its caret shows."""
        px, py, w, h = self.region(*rect)

        def pixels():
            shot = Screenshot()
            return b"".join(shot.rgb[((py + r) * shot.width + px) * 3:((py + r) * shot.width + px + w) * 3]
                            for r in range(h))

        before = pixels()
        self.click(*rect)
        await_state(lambda: pixels() != before, "the caret in the field at %r" % (rect,), 5, 0.05)

    def is_open(self):
        return any(w.xid == self.window.xid for w in top_windows())


class SettingsDialog(TemplateDialog):
    """The settings dialog, once it is open."""

    def __init__(self, timeout=10.0, language=None):
        title, units = (language or JAPANESE)["settings"]
        super().__init__(await_state(lambda: find_window(title), "the settings dialog", timeout), units)


# The languages the program speaks: the environment Wine picks its resources
# by, the settings dialog's title and client size in dialog units, and the
# template rectangles where the English template differs.
JAPANESE = {"env": {}, "already_running": "２重起動", "settings": ("設定", (334, 225)), "line_blue": (78, 102, 24, 10), "fade": (186, 40, 48, 10)}
ENGLISH = {"env": {"VIREON_LANG": "C.UTF-8"}, "already_running": "Already Running",
           "settings": ("Settings", (394, 225)), "line_blue": (86, 102, 28, 10), "fade": (216, 40, 48, 10)}

# The About box's client size in dialog units, and its OK button.
ABOUT_UNITS = (191, 86)
ABOUT_OK = (132, 60, 50, 14)

# Template rectangles of the settings dialog's controls.
LINE_BLUE = (78, 102, 24, 10)
FADE = (186, 40, 48, 10)
HOTKEY_ENABLED = (186, 162, 32, 10)
HOTKEY_FIELD = (180, 174, 78, 14)
OK_BUTTON = (24, 204, 50, 14)
CANCEL_BUTTON = (252, 204, 50, 14)
