"""End to end: the shipped Vireon.exe under Wine on the test display, driven with
xdotool and judged from screenshots."""

import math
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import vireon_driver as d
from pe_image import PeImage

EXE = os.environ.get("VIREON_EXE", os.path.join(d.ROOT, "build", "windows", "Vireon.exe"))

PLANTED = os.environ.get("VIREON_PLANTED", os.path.join(d.ROOT, "build", "windows", "planted"))

# DLLs Windows always loads from System32 (its KnownDLLs), and comctl32, which
# the manifest redirects to the side-by-side store.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll", "advapi32.dll", "ole32.dll",
              "oleaut32.dll", "shlwapi.dll", "comdlg32.dll", "imm32.dll", "psapi.dll", "rpcrt4.dll", "ws2_32.dll",
              "setupapi.dll", "sechost.dll", "combase.dll", "ucrtbase.dll", "normaliz.dll", "nsi.dll"}

HOTKEY_INI = "[SYSTEM]\r\nQVHTOKEYFLAG=1\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\n"


def console_text(raw):
    """What a terminal would show of Wine's console output."""
    text = raw.decode("utf-8", "replace")
    text = re.sub(r"\x1b\[(\d*)C", lambda m: " " * int(m.group(1) or 1), text)
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text)
    return text.replace("\r", "")


class ShippedExe(unittest.TestCase):
    def test_imports_only_what_windows_takes_from_system32(self):
        image = PeImage(EXE)
        imported = {name.lower() for name in image.imports()}
        self.assertIn("comctl32.dll", imported)
        self.assertEqual(imported - KNOWN_DLLS - {"comctl32.dll"}, set(), "a DLL beside the exe could stand in")


@unittest.skipUnless(os.environ.get("DISPLAY"), "needs the test display")
class EndToEnd(unittest.TestCase):
    CENTRE, RADIUS = (960, 740), 120

    # Where the trail is read: the circle and what lies around it, clear of the
    # main window, its minimised bar and the settings dialog (with red in its
    # radio buttons), which open at the top left and bottom left of the screen.
    AROUND = (600, 540, 680, 484)

    def trail_pixels(self, color, box=AROUND):
        """Pixels of the trail's `color` within box (x, y, w, h), from one quick read
        of the screen: that channel lit, the other two dark (a trail fading into
        a black desktop keeps its hue)."""
        screen = d.x11.Display()
        try:
            rgb = screen.strip(*box)
        finally:
            screen.close()
        lit = bytes(1 if v > 24 else 0 for v in range(256))
        dark = bytes(1 if v < 60 else 0 for v in range(256))
        hits = -1
        for channel in range(3):
            hits &= int.from_bytes(rgb[channel::3].translate(lit if color[channel] else dark), "big")
        flags = hits.to_bytes(len(rgb) // 3, "big")
        px, py, w, _ = box
        found, i = [], flags.find(1)
        while i >= 0:
            found.append((px + i % w, py + i // w))
            i = flags.find(1, i + 1)
        return found

    def assert_trail(self, color=d.RED, what="the trail"):
        """While the pointer circles, the whole trail of `color` is seen on the circle
        (its body over a quarter of the circle, not only its newest end), and
        nothing of it elsewhere once the jump onto the circle has left the history."""
        cx, cy = self.CENTRE
        seen = [0, []]

        def whole():
            pixels = self.trail_pixels(color)
            on = [(x, y) for x, y in pixels if abs(math.hypot(x - cx, y - cy) - self.RADIUS) <= 24]
            circle = set(on)
            seen[:] = len({int(math.degrees(math.atan2(y - cy, x - cx)) // 10) for x, y in on}), \
                [p for p in pixels if p not in circle][:10]
            return seen[0] >= 9 and not seen[1]
        with d.Circling(*self.CENTRE, self.RADIUS):
            if not d.wait_for(whole, 10, 0):
                self.fail("%s: no whole trail of %r; it covers %d of 36 sectors of the circle, and lies off it at %r"
                          % (what, color, seen[0], seen[1]))

    def assert_no_trail(self, what="no trail", centre=None, radius=None, box=AROUND):
        """While the pointer circles (round `centre`, by default the test's circle), no
        trail shows in box: once a read shows none (the tick that hides it may
        still be to come), none shows while the pointer takes ten steps."""
        # The halo, in the point colour (the flow table's blue), hides with the trail.
        def shown():
            return self.trail_pixels(d.RED, box)[:10] + self.trail_pixels(d.BLUE, box)[:10]
        with d.Circling(*(centre or self.CENTRE), radius or self.RADIUS) as circling:
            if not d.wait_for(lambda: not shown(), 10, 0):
                self.fail("%s: the trail or the halo is still shown" % what)
            steps = circling.steps
            while circling.steps < steps + 10:
                self.assertEqual(shown(), [], "%s: a trail or a halo while the pointer moves" % what)

    def switch_on(self, v, on):
        """Clicks ON and waits for the main window to minimise, as switching on does."""
        d.click(*on)
        d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)

    def restore(self, v):
        """Restores the main window from its minimised bar, as a user does: a double click."""
        _, wx, wy, ww, wh = v.main_window()
        d.mouse_move(wx + 30, wy + wh // 2)
        d.x("xdotool", "click", "--repeat", "2", "--delay", "80", "1")
        d.await_state(lambda: v.main_window()[4] > 100, "the main window to be restored", 5)
        return v.panel_buttons()

    def assert_hotkey_toggles(self, v, combo):
        """The hotkey switches on (minimising like a click) and off again."""
        d.mouse_move(900, 700)
        d.key(combo, v.main_window())
        d.await_state(lambda: v.main_window()[4] < 40, "the hotkey to minimise like a click", 5)
        self.assert_trail(d.RED)
        # About the focus: the hotkey leaves the keyboard where it was, with the main window.
        d.key(combo, v.main_window(), give_focus=False)
        self.assert_no_trail()

    def test_every_drawing_mode_through_every_flow(self):
        """Each drawing mode through the flows a user takes, the trail seen while
        the pointer moves after each: whole where it is on, none where it is not."""
        d.x11.paint_desktop("#000000")
        modes = [(fade, kind, name + (" with フェード" if fade else ""))
                 for fade in (0, 1) for kind, name in ((0, "曲線"), (1, "直線"), (2, "先細り"))]
        # A run may take some of them (their indices, "0,4"): one of each way of showing the trail.
        chosen = os.environ.get("VIREON_E2E_MODES")
        for fade, kind, mode in [modes[int(i)] for i in chosen.split(",")] if chosen else modes:
            ini = HOTKEY_INI + "DRAWMODE=2\r\nTRANSPARENT=100\r\nLINEKIND=%d\r\nFADE=%d\r\nHALO=1\r\nSHAKE=1\r\n" \
                "POINTCOLOR=2\r\n" % (kind, fade)
            with self.subTest(mode), d.Vireon(EXE, ini=ini) as v:
                on, settings = v.panel_buttons()
                self.switch_on(v, on)
                self.assert_trail(what=mode + ", ON with the button")

                # The ON click activated the main window, and a minimised window stays
                # active under Wine: the hotkey's keys reach Wine without a click that would restore it.
                d.key("alt+4", v.main_window(), give_focus=False)
                self.assert_no_trail(mode + ", OFF with the hotkey")
                d.key("alt+4", v.main_window(), give_focus=False)
                self.assert_trail(what=mode + ", ON with the hotkey")

                on, settings = self.restore(v)
                _, wx, _, ww, _ = v.main_window()
                self.assert_no_trail(mode + ", restored, over the panel", centre=settings, radius=12,
                                     box=(wx, settings[1] - 40, ww, 60))

                for button, closing in ((d.OK_BUTTON, "OK"), (d.CANCEL_BUTTON, "キャンセル")):
                    d.click(*settings)
                    dialog = d.SettingsDialog()
                    if closing == "OK":
                        self.assert_no_trail(mode + ", the settings open")
                    dialog.click(*button)
                    d.await_state(lambda: not dialog.is_open(), "the settings dialog to close")
                    self.assert_trail(what=mode + ", the settings closed with " + closing)

                d.click(*d.caption_button(v.main_window(), 2))
                d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)
                self.assert_trail(what=mode + ", restored and minimised again")

                on, _ = self.restore(v)
                d.click(*on)
                self.assert_no_trail(mode + ", OFF with the button")
                self.assertTrue(v.running())

    def test_settings_next_to_the_program_colour_the_trail_when_started_by_relative_path(self):
        parent = tempfile.mkdtemp(prefix="vireon-e2e-")
        folder = os.path.join(parent, "bin")
        os.mkdir(folder)
        try:
            with d.Vireon(EXE, ini="[SYSTEM]\r\nLINECOLOR=2\r\n", folder=folder, cwd=parent,
                          program="bin\\Vireon.exe") as v:
                on, _ = v.panel_buttons()
                self.switch_on(v, on)
                self.assert_trail(d.BLUE)
                self.assertFalse(os.path.exists(os.path.join(folder, "bin", "Vireon.ini")))
        finally:
            shutil.rmtree(parent, ignore_errors=True)

    def test_second_start_is_refused_and_the_first_keeps_running(self):
        """In either language: the single-instance object is one for both."""
        with d.Vireon(EXE) as first:
            first.panel_buttons()
            for language in (d.JAPANESE, d.ENGLISH):
                with d.Vireon(EXE, env=language["env"]) as second:
                    box = d.wait_for(lambda: d.find_window(language["already_running"]), 15)
                    self.assertIsNotNone(box, "the second start shows its message box")
                    self.assertTrue(second.running())
                    d.key("Return", box)
                    self.assertIsNotNone(second.wait(10), "the second process ends after OK")
                self.assertTrue(first.running())
                self.assertIsNotNone(first.main_window(1))

    def test_debug_switch_opens_the_console_with_the_banner(self):
        folder = tempfile.mkdtemp(prefix="vireon-e2e-")
        shutil.copy(EXE, os.path.join(folder, "Vireon.exe"))
        # The console needs a terminal: `script` gives the program one.
        proc = subprocess.Popen(["script", "-qc", d.WINE_RUN + " Vireon.exe -RW -D457", "/dev/null"], cwd=folder,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        try:
            main = d.wait_for(lambda: d.find_window("Vireon"), 15)
            self.assertIsNotNone(main)
            d.key("Escape", main)
            out, _ = proc.communicate(timeout=20)
        finally:
            if proc.poll() is None:
                proc.kill()
            shutil.rmtree(folder, ignore_errors=True)
        lines = [line for line in console_text(out).split("\n") if line]
        self.assertEqual(lines[:7], [
            "ReadWriteMODE ON",
            "DEBUGMODE ON",
            "********** Start Tindervault DEBUG MODE  *******",
            "DEBUG_MODE ON",
            "ReadWrite_MODE ON",
            "PORTABLE VERSION START",
            lines[6],
        ])
        self.assertTrue(lines[6].startswith("CurrentDir=Z:\\"), lines[6])
        self.assertTrue(lines[6].endswith(os.path.basename(folder)), lines[6])

    def test_settings_dialog_choices_are_saved_and_drawn(self):
        with d.Vireon(EXE) as v:
            _, settings = v.panel_buttons()
            d.click(*settings)
            dialog = d.SettingsDialog()
            dialog.click(*d.LINE_BLUE)
            dialog.click(*d.OK_BUTTON)
            self.assertTrue(d.wait_for(lambda: not dialog.is_open(), 5), "OK closes the dialog")
            v.await_ini("LINECOLOR=2\r\n")
            on, _ = v.panel_buttons()
            self.switch_on(v, on)
            self.assert_trail(d.BLUE)

    def test_english_and_japanese_dialogs_save_the_same_file(self):
        """Under an English locale the settings dialog is the English one, and the
        same choices in either language leave the same settings file."""
        saved = {}
        for language in (d.JAPANESE, d.ENGLISH):
            title = language["settings"][0]
            with d.Vireon(EXE, ini="[SYSTEM]\r\nDRAWMODE=2\r\n", env=language["env"]) as v:
                _, settings = v.panel_buttons()
                d.click(*settings)
                dialog = d.SettingsDialog(language=language)
                other = "Settings" if title == "設定" else "設定"
                self.assertIsNone(d.find_window(other), "only the %s dialog" % title)
                dialog.click(*language["line_blue"])
                dialog.click(*language["fade"])
                dialog.click(*d.OK_BUTTON)
                saved[title] = v.await_ini("LINECOLOR=2\r\n", "FADE=1\r\n")
        self.assertEqual(saved["Settings"], saved["設定"])

    def test_fade_chosen_in_the_dialog_fades_the_trail_from_its_colour_into_the_desktop(self):
        desktop = (47, 95, 143)
        d.x11.paint_desktop("#%02x%02x%02x" % desktop)
        with d.Compositor(), d.Vireon(EXE, ini="[SYSTEM]\r\nDRAWMODE=2\r\nTRANSPARENT=100\r\n") as v:
            _, settings = v.panel_buttons()
            d.click(*settings)
            dialog = d.SettingsDialog()
            dialog.click(*d.FADE)
            dialog.click(*d.OK_BUTTON)
            v.await_ini("FADE=1\r\n")
            on, _ = v.panel_buttons()
            self.switch_on(v, on)
            row, start, step, end, width = 640, 200, 20, 1000, 1280
            pointer = d.x11.Display()
            try:
                def coloured(px0, px1):
                    """x of every pixel of the row between px0 and px1 that is not the desktop."""
                    line = pointer.strip(px0, row, px1 - px0)
                    return [px0 + i // 3 for i in range(0, len(line), 3)
                            if max(abs(a - b) for a, b in zip(line[i:i + 3], desktop)) > 24]

                # Rightwards along the row, each step once the trail's newest end
                # has followed the pointer there, so that the steps keep pace
                # with the program however slow the machine.
                for px in range(start, end + 1, step):
                    pointer.move(px, row)
                    behind = 0 if px == start else 6  # the first step comes from the ON button, not along the row
                    d.await_state(lambda: px - behind in coloured(px - behind, px - behind + 1),
                                  "the trail's newest end at x = %d" % px, 10, 0)

                # The pointer rests at the end, and the trail is read from the row
                # alone once all of it lies there, the jump from the ON button
                # gone: every tick now takes the oldest step away, and none of
                # that matters to the fade from one end to the other.
                def whole():
                    xs = coloured(0, width)
                    return (pointer.strip(0, row, width), min(xs), max(xs)) \
                        if xs and min(xs) > start + step and max(xs) >= end - 6 and max(xs) - min(xs) > 100 else None
                line, tail, head = d.await_state(whole, "a whole trail along the row", 10, 0)
            finally:
                pointer.close()
        newest = tuple(line[3 * (head - 4):3 * (head - 4) + 3])
        oldest = tuple(line[3 * (tail + 2):3 * (tail + 2) + 3])
        self.assertTrue(newest[0] > 220 and newest[1] < 40 and newest[2] < 60, "the newest end %r" % (newest,))
        self.assertLess(max(abs(a - b) for a, b in zip(oldest, desktop)), 48, "the oldest end %r" % (oldest,))

    def test_a_save_that_cannot_be_made_is_shown_and_leaves_the_folder_as_it_was(self):
        """Vireon.ini one page long on a tmpfs with no page left, and a save whose text
        needs a second page; then the same folder mounted read-only."""
        if os.geteuid() != 0:
            self.skipTest("mounting a small tmpfs needs root")
        mount = tempfile.mkdtemp(prefix="vireon-e2e-full-")
        size = (os.path.getsize(EXE) // 4096 + 8) * 4096
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", mount]).returncode != 0:
            os.rmdir(mount)
            self.skipTest("this machine cannot mount a tmpfs")
        system = "[SYSTEM]\r\nDRAWMODE=2\r\nLINECOLOR=0\r\nPOINTCOLOR=3\r\nLINEPOINT=1\r\nPOINTPOINT=1\r\n" \
                 "TRANSPARENT=70\r\nLINEKIND=0\r\nQVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\n"
        mine = "[MINE]\r\n" + "NOTE=%s\r\n" % ("x" * 60) * 80
        text = (system + mine)[:4096 - len("\r\nEND\r\n")] + "\r\nEND\r\n"

        def fill_the_disk():
            shutil.copy(EXE, os.path.join(mount, "Vireon.exe"))
            with open(os.path.join(mount, "Vireon.ini"), "w", newline="") as f:
                f.write(text)
            fd = os.open(os.path.join(mount, "fill"), os.O_WRONLY | os.O_CREAT)
            try:
                while os.write(fd, b"\0" * 4096):
                    pass
            except OSError:
                pass
            finally:
                os.close(fd)

        try:
            for case in ("a full disk", "a read-only folder"):
                fill_the_disk()  # afresh: each run's folder is removed after it
                if case == "a read-only folder":
                    self.assertEqual(subprocess.run(["mount", "-o", "remount,ro", mount]).returncode, 0)
                with self.subTest(case), d.Vireon(EXE, folder=mount) as v:
                    main = v.main_window()
                    _, settings = v.panel_buttons()
                    d.click(*settings)
                    dialog = d.SettingsDialog()
                    dialog.click(*d.LINE_BLUE)
                    dialog.click(*d.OK_BUTTON)
                    box = d.await_state(lambda: d.find_window("Vireon", exclude=(main.xid,)),
                                        "the message that the settings were not saved")
                    self.assertFalse(dialog.is_open())
                    d.key("Return", box)
                    d.await_state(lambda: not d.find_window("Vireon", exclude=(main.xid,)), "the message to close")
                    on, _ = v.panel_buttons()
                    self.switch_on(v, on)
                    self.assert_trail(d.BLUE)  # in force for this run
                    self.assertEqual(v.ini(), text, "the file is as it was")
                    self.assertEqual(sorted(os.listdir(mount)), ["Vireon.exe", "Vireon.ini", "fill"])
        finally:
            # The program's last process lets go of its exe on the tmpfs a moment after it is killed.
            d.await_state(lambda: subprocess.run(["umount", mount], stderr=subprocess.DEVNULL).returncode == 0,
                          "the tmpfs at %s to be let go" % mount, 15)
            os.rmdir(mount)

    def test_clicks_show_rings_in_the_buttons_colours_and_never_take_the_click(self):
        """Presses on a Wine window (Wine reports XTest presses only there). With the
        option on: a ring of the line colour at a left press, of the point colour at
        a right one, the press still reaching the window, and nothing left after.
        With it off, no ring."""
        screen = d.x11.Display()
        centre = [0, 0]

        def ring(colour):
            """Pixels of `colour` ("red", "blue") 8 to 20 px up and right of the press,
            where the ring runs and neither the trail, which comes from the upper left
            and ends under the pointer, nor the context menu, below right, can be."""
            box = screen.strip(centre[0], centre[1] - 24, 24, 24)
            channel = {"red": 0, "blue": 2}[colour]
            return [(x, y) for y in range(24) for x in range(24) if 8 <= math.hypot(x, y - 24) <= 20
                    and box[3 * (24 * y + x) + channel] > 100 and sum(box[3 * (24 * y + x):3 * (24 * y + x) + 3])
                    - box[3 * (24 * y + x) + channel] < 120]

        def strength(colour):
            """How strongly the ring's colour stands out where the ring runs: its
            channel over the others at the most (over Notepad's white, 255 times the ring's alpha)."""
            box = screen.strip(centre[0], centre[1] - 24, 24, 24)
            channel = {"red": 0, "blue": 2}[colour]
            return max(box[i + channel] - max(box[i + c] for c in range(3) if c != channel)
                       for i in range(0, len(box), 3) if 8 <= math.hypot(i // 3 % 24, i // 72 - 24) <= 20)

        def press(button):
            before = {w.xid for w in d.top_windows(named=False)}
            d.x("xdotool", "mousedown", button, "sleep", "0.05", "mouseup", button)
            return before

        try:
            for clicks in (1, 0):
                # A Notepad of its own each time, so that no menu of the last is left open.
                notepad = subprocess.Popen([d.WINE_RUN, "notepad.exe"], stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                ini = "[SYSTEM]\r\nPOINTCOLOR=2\r\nCLICKS=%d\r\n" % clicks
                try:
                    pad = d.await_state(lambda: next((w for w in d.top_windows()
                                                      if "Notepad" in w[0] or "メモ帳" in w[0]), None), "Notepad", 60)
                    cx, cy = centre[:] = pad[1] + pad[3] // 2, pad[2] + pad[4] // 2
                    with self.subTest(clicks=clicks), d.Vireon(EXE, ini=ini) as v:
                        on, _ = v.panel_buttons()
                        self.switch_on(v, on)
                        d.mouse_move(cx, cy)
                        for _ in range(5 if clicks else 0):
                            press("1")
                            d.await_state(lambda: len(ring("red")) > 10, "a ring of the line colour", 5, 0)
                            # It fades as it ends: seen weaker than half its strongest before it goes.
                            # A ring that stopped fading stays at some strength in between; one
                            # whose frames a loaded machine held up may go at once: pressed again.
                            seen = [strength("red")]
                            d.await_state(lambda: seen.append(strength("red")) or seen[-1] < 16, "the ring to end", 5, 0)
                            if [v for v in seen if 24 < v < max(seen) * 3 / 4]:
                                break
                        if clicks:
                            self.assertTrue([v for v in seen if 24 < v < max(seen) / 2],
                                            "a ring that does not fade: %r" % sorted(set(seen)))
                        before = press("3")
                        d.await_state(lambda: [w for w in d.top_windows(named=False) if w.xid not in before
                                               and w[1] >= cx - 2 and w[2] >= cy - 2], "Notepad's context menu", 5)
                        if clicks:
                            d.await_state(lambda: len(ring("blue")) > 10, "a ring of the point colour", 5, 0)
                        else:
                            shots = [ring("blue") + ring("red") for _ in range(10)]
                            self.assertEqual(shots, [[]] * 10, "a ring with the option off")
                        d.await_state(lambda: not ring("red") and not ring("blue"), "the rings to end", 5, 0)
                finally:
                    notepad.kill()
                    notepad.wait(10)
                    d.await_state(lambda: not any("Notepad" in w[0] or "メモ帳" in w[0] for w in d.top_windows()),
                                  "Notepad to go", 10)
        finally:
            screen.close()

    def test_a_halo_follows_the_pointer_and_a_shake_shows_where_it_is(self):
        """Over Notepad (Wine reads the pointer from its own windows' motion). With HALO,
        a disc of the point colour centred on the pointer, at rest and after each step
        of a move. With SHAKE and the trail off, a shake through XTest shows rings of
        the line colour closing on the pointer; a circle at the same speed shows none."""
        compositor = d.Compositor().__enter__()  # the halo is translucent
        screen = d.x11.Display()
        notepad = subprocess.Popen([d.WINE_RUN, "notepad.exe"], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def halo(x, y):
            """The extent (left, top, right, bottom) of the point colour's tint over white around (x, y)."""
            box = screen.strip(x - 40, y - 40, 80, 80)
            tinted = [(i % 80, i // 80) for i in range(6400)
                      if box[3 * i + 2] > 240 and box[3 * i] < 230 and box[3 * i + 1] < 230]
            if len(tinted) < 400:
                return None
            xs, ys = [p[0] for p in tinted], [p[1] for p in tinted]
            return min(xs) + x - 40, min(ys) + y - 40, max(xs) + x - 40, max(ys) + y - 40

        def centred(x, y):
            got = halo(x, y)
            return got and abs(got[0] + got[2] - 2 * x) <= 3 and abs(got[1] + got[3] - 2 * y) <= 3 \
                and 48 <= got[2] - got[0] <= 58

        def rings(x, y):
            """The red rings' pixels over white in a box around (x, y): their centre and median radius."""
            box = screen.strip(x - 130, y - 130, 260, 260)
            red = [(i % 260 + x - 130, i // 260 + y - 130) for i in range(260 * 260)
                   if box[3 * i] > 240 and box[3 * i + 1] < 200 and box[3 * i + 2] < 200]
            if len(red) < 30:
                return None
            mx, my = sum(p[0] for p in red) / len(red), sum(p[1] for p in red) / len(red)
            return (mx, my), sorted(math.hypot(px - mx, py - my) for px, py in red)[len(red) // 2]

        def move(path, seconds):
            """The pointer along path(t) in a thread (see d.follow)."""
            thread = threading.Thread(target=d.follow, args=(path, seconds))
            thread.start()
            return thread

        try:
            pad = d.await_state(lambda: next((w for w in d.top_windows()
                                              if "Notepad" in w[0] or "メモ帳" in w[0]), None), "Notepad", 60)
            cx, cy = pad[1] + pad[3] // 2, pad[2] + pad[4] // 2
            self.assertTrue(pad[3] > 400 and pad[4] > 300, "Notepad too small for the test: %r" % (pad,))
            # The tint is judged over Notepad's white: wait for Notepad to have painted it.
            d.await_state(lambda: set(screen.strip(cx - 130, cy - 130, 260, 260)) == {255}, "Notepad's white", 20)
            ini = "[SYSTEM]\r\nDRAWMODE=2\r\nPOINTCOLOR=2\r\nTRANSPARENT=100\r\nHALO=1\r\n"
            with d.Vireon(EXE, ini=ini) as v:
                on, _ = v.panel_buttons()
                self.switch_on(v, on)
                for step in range(4):
                    x = cx - 90 + 60 * step
                    d.mouse_move(x, cy)
                    d.await_state(lambda: centred(x, cy), "the halo centred on (%d, %d), seen %r"
                                  % (x, cy, halo(x, cy)), 5, 0)
            d.await_state(lambda: not halo(cx, cy), "the halo to go with the program", 5, 0)

            ini = "[SYSTEM]\r\nLINECOLOR=0\r\nSHAKE=1\r\n"
            # A fresh Vireon for each: no pause after an earlier find could hide what a path starts.
            with d.Vireon(EXE, ini=ini) as v:
                v.panel_buttons()
                circling = move(lambda t: (cx + int(50 * math.cos(2 * math.pi * 4 * t)),
                                           cy + int(50 * math.sin(2 * math.pi * 4 * t))), 1.5)
                shots = []
                while circling.is_alive():
                    shots.append(rings(cx, cy))
                circling.join()
                shots += [rings(cx, cy) for _ in range(20)]
                self.assertEqual([s for s in shots if s], [], "rings after a circle at a shake's speed")
            # A loaded machine may miss samples of a shake: shaken again.
            for _ in range(3):
                with d.Vireon(EXE, ini=ini) as v:
                    v.panel_buttons()
                    shaking = move(lambda t: (cx + int(80 * math.sin(2 * math.pi * 4 * t)), cy), 1.0)
                    seen = []
                    deadline = time.time() + 3
                    while time.time() < deadline and not (seen and seen[-1] is None and len(seen) > 3):
                        got = rings(cx, cy)
                        if got or seen:
                            seen.append(got and (got, screen.pointer(), shaking.is_alive()))
                    shaking.join()
                    d.await_state(lambda: not rings(cx, cy), "the rings to end", 5, 0)
                radii = [r for (_, r), _, _ in filter(None, seen)]
                # Centred on the pointer as it is now: read where it rests after the shake.
                resting = [(c, p) for (c, _), p, moving in filter(None, seen) if not moving]
                if len(radii) >= 3 and radii[0] - min(radii) >= 20 and len(resting) >= 3:
                    break
            self.assertTrue(len(radii) >= 3 and radii[0] - min(radii) >= 20,
                            "rings closing after a shake: radii seen %r" % radii)
            # Within a frame or two of the pointer coming to rest, they are centred on it.
            self.assertTrue([c for c, p in resting if math.hypot(c[0] - p[0], c[1] - p[1]) <= 2],
                            "rings off the resting pointer: %r" % resting)
        finally:
            screen.close()
            notepad.kill()
            notepad.wait(10)
            compositor.__exit__(None, None, None)

    def test_hotkey_set_in_the_dialog_toggles_the_trail(self):
        with d.Vireon(EXE) as v:
            _, settings = v.panel_buttons()
            d.click(*settings)
            dialog = d.SettingsDialog()
            dialog.click(*d.HOTKEY_ENABLED)
            dialog.focus_field(d.HOTKEY_FIELD)
            # As a person types it: the letter is let go before the modifiers
            # (xdotool's "ctrl+shift+y" lets the modifiers go first). The field's
            # hook takes the keys whichever window has the X focus.
            d.x("xdotool", "keydown", "ctrl", "keydown", "shift", "key", "y", "keyup", "shift", "keyup", "ctrl")
            dialog.click(*d.OK_BUTTON)
            self.assertTrue(d.wait_for(lambda: not dialog.is_open(), 5), "OK closes the dialog")
            v.await_ini("QVHTOKEYFLAG=1\r\n", "QVHOTKEY=89\r\n", "QVMODIFIERS=6\r\n")
            self.assert_hotkey_toggles(v, "ctrl+shift+y")

    def test_system_menu_opens_the_about_box(self):
        with d.Vireon(EXE) as v:
            v.panel_buttons()
            self.assertTrue(v.about_box())
            self.assertEqual(len([w for w in d.top_windows() if w[0] == "Vireon"]), 1, "Enter closed it")
            self.assertTrue(v.running())

    def test_dlls_planted_beside_the_exe_are_not_used(self):
        with d.Vireon(EXE) as clean:
            clean.panel_buttons()
            about = clean.about_box()
        folder = tempfile.mkdtemp(prefix="vireon-e2e-")
        for name in ("version.dll", "gdiplus.dll"):
            shutil.copy(os.path.join(PLANTED, name), folder)
        # Wine prefers its own DLLs; this makes it search the program's folder first, as Windows does.
        overrides = os.environ.get("WINEDLLOVERRIDES", "mscoree,mshtml=") + ";version,gdiplus=n,b"
        with d.Vireon(EXE, folder=folder, env={"WINEDLLOVERRIDES": overrides}) as v:
            on, _ = v.panel_buttons()
            # The planted version.dll answers every call with a failure.
            self.assertTrue(v.about_box() == about, "the About box shows the version as without the planted DLLs")
            self.switch_on(v, on)
            self.assert_trail(d.RED)  # the default curve, drawn with GDI+
            # Wine's own user32 imports version.dll and so loads the planted one
            # in this mode (Windows' user32 is a KnownDLL without that import);
            # nothing of Wine's takes gdiplus.dll, so its DllMain is ours to judge.
            self.assertFalse(os.path.exists(os.path.join(folder, "gdiplus.dll.ran")), "the planted gdiplus.dll ran")

    def test_closing_the_main_window_ends_the_process_and_leaves_no_window(self):
        with d.Vireon(EXE) as v:
            v.panel_buttons()
            _, wx, wy, ww, wh = v.main_window()
            # The close box is the caption's right-most button.
            d.click(wx + ww - 12, wy + 11)
            self.assertIsNotNone(v.wait(10), "the process ends")
            self.assertEqual([w for w in d.top_windows() if w[0] == "Vireon"], [])


if __name__ == "__main__":
    unittest.main()
