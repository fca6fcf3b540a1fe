"""End to end on two monitors: Xephyr with two screens and Xinerama, nested in
an Xvfb of its own, and a Wine prefix that takes its monitors from Xinerama.
Xephyr's second screen (X's x from 1280) is Windows' primary at (0, 0), its
first a monitor left of it at Windows' x = -1280: Windows' x is X's x - 1280."""

import os
import shutil
import subprocess
import unittest

import vireon_driver as d
from test_e2e import EXE

PREFIX = os.environ.get("VIREON_WINEPREFIX_2MON", os.path.join(d.ROOT, "build", "wineprefix-2mon"))
BORDER = 1280  # X's x of the border between the two monitors
WIDTH = 2560


def start_server(command, env):
    """An X server that reports its display itself; (process, ":n")."""
    read, write = os.pipe()
    process = subprocess.Popen([*command, "-displayfd", str(write), "-nolisten", "tcp"], pass_fds=(write,),
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as reported:
        number = reported.readline().strip()
    if not number:
        process.kill()
        raise unittest.SkipTest("%s did not start a display" % command[0])
    return process, ":" + number


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("Xephyr") and os.path.isdir(PREFIX),
                     "needs Xvfb, Xephyr and the two-monitor prefix (scripts/test.sh makes it)")
class TwoMonitors(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved = {name: os.environ.get(name) for name in ("DISPLAY", "WINEPREFIX")}
        cls.host, host = start_server(["Xvfb", "-screen", "0", "2600x1100x24"], os.environ)
        cls.nested, nested = start_server(["Xephyr", "-screen", "1280x1024+0+0", "-screen", "1280x1024+1280+0",
                                           "+xinerama"], {**os.environ, "DISPLAY": host})
        os.environ.update(DISPLAY=nested, WINEPREFIX=PREFIX)
        # The prefix's server and desktop process started before the first test, as
        # the test display's are, with no test's output pipe to inherit.
        subprocess.run(["wineserver", "-p60"], stderr=subprocess.DEVNULL)
        subprocess.run([d.WINE_RUN, "cmd.exe", "/c", "exit"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)

    @classmethod
    def tearDownClass(cls):
        # The prefix's server knows this display only: the next run's is another.
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        for server in (cls.nested, cls.host):
            server.terminate()
            server.wait(10)
        for name, value in cls.saved.items():
            os.environ.pop(name, None) if value is None else os.environ.__setitem__(name, value)

    def switch_on(self, v):
        on, _ = v.panel_buttons()
        d.click(*on)
        d.await_state(lambda: v.main_window()[4] < 40, "the main window to minimise", 5)

    def test_the_trail_follows_the_pointer_onto_the_left_monitor_in_each_mode(self):
        """Leftwards along a row from the primary onto the left monitor: the trail's
        newest end under the pointer at every step, the trail whole across the
        border, and nothing of it off the row."""
        row = 500
        d.x11.paint_desktop("#000000")
        for fade in (0, 1):
            for kind in (0, 1, 2):  # smooth curve, straight lines, tapered curve
                ini = "[SYSTEM]\r\nDRAWMODE=2\r\nTRANSPARENT=100\r\nLINEKIND=%d\r\nFADE=%d\r\n" % (kind, fade)
                with self.subTest(fade=fade, kind=kind), d.Vireon(EXE, ini=ini) as v:
                    self.switch_on(v)
                    screen = d.x11.Display()
                    try:
                        def coloured(px0, px1, y=row):
                            """x of every pixel between px0 and px1 of a row that is the trail's red."""
                            line = screen.strip(px0, y, px1 - px0)
                            return [px0 + i // 3 for i in range(0, len(line), 3)
                                    if line[i] > 24 and line[i + 1] < 60 and line[i + 2] < 60]

                        for px in range(1700, 899, -20):
                            screen.move(px, row)
                            d.await_state(lambda: coloured(px - 8, px + 9), "the trail's newest end at x = %d" % px,
                                          10, 0)
                            if px == BORDER - 20:
                                # Just past the border the trail runs from its newest end back over
                                # the border, unbroken. (The newest end may be a sample behind: Wine
                                # sees the pointer over a window not its own up to 100 ms late.)
                                def across():
                                    xs = coloured(BORDER - 40, BORDER + 20)
                                    return xs and xs[0] <= BORDER - 8 and xs == list(range(xs[0], BORDER + 20))
                                d.await_state(across, "the trail whole across the border", 5, 0)
                        shot = d.Screenshot()
                        off_row = [(x, y) for x, y in shot.find((255, 0, 0)) if abs(y - row) > 12]
                        self.assertEqual(off_row, [], "the trail drawn off the pointer's row")
                    finally:
                        screen.close()

    def test_dialogs_open_over_the_main_window_on_the_left_monitor(self):
        with d.Vireon(EXE) as v:
            _, wx, wy, ww, wh = d.await_state(lambda: v.main_window(1), "the main window", 60)
            self.assertGreaterEqual(wx, BORDER, "the main window starts on the primary")
            # Dragged by its caption, as a user moves it, each step once the last has
            # been taken: the drag under way (the window follows), then at its end.
            d.settled((wx, wy, ww, wh))
            d.x("xdotool", "mousemove", str(wx + ww // 2), str(wy + 10), "mousedown", "1")
            try:
                for to in (wx - 40, wx - 1000):
                    d.x("xdotool", "mousemove", str(to + ww // 2), str(wy + 10))
                    d.await_state(lambda: v.main_window(1)[1] == to, "the main window dragged to x = %d" % to)
            finally:
                d.x("xdotool", "mouseup", "1")
            main = v.main_window()
            def on_the_left(window):
                _, x, y, w, h = window
                return 0 <= x and x + w <= BORDER and 0 <= y and y + h <= 1024

            _, settings = v.panel_buttons()
            d.click(*settings)
            dialog = d.SettingsDialog()
            self.assertTrue(on_the_left(dialog.window), "the settings dialog at %r" % (dialog.window,))
            d.key("Escape", dialog.window)
            d.await_state(lambda: not dialog.is_open(), "the settings dialog to close")
            about = v.open_about()
            self.assertTrue(on_the_left(about), "the About box at %r, the main window at %r" % (about, main))
