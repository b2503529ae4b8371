"""The real sandbox binary in a real X server: opening, debug mode, layout, quitting, and
what a screen reader gets of the window."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Installer, log_of, run_tests, wait_for  # noqa: E402

ARGS = None
DESKTOP = None


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.installer = Installer(DESKTOP, ARGS.binary, ARGS.helper)
        self.installer.add_ppd("Sample One.ppd")
        self.installer.add_ppd("Sample Two.PPD")

    def tearDown(self):
        DESKTOP.keys_up("ctrl", "alt")
        self.installer.stop()

    def debug_button(self):
        return self.installer.find_accessible("push button", "Debug")[0]

    def test_opens_with_its_title_and_buttons_and_quits_with_ctrl_q(self):
        app = self.installer.start()
        self.assertEqual(app.title(), "PPD installer")
        # What a screen reader gets: the window's title, the buttons and the log's text.
        self.assertTrue(app.find_accessible("frame", "PPD installer"))
        for caption in ("Install PPDs", "Show in Finder", "Quit"):
            button = app.find_accessible("push button", caption)[0]
            self.assertTrue(app.showing(button), caption)
        self.assertFalse(app.showing(self.debug_button()))
        self.assertTrue(log_of(app).startswith(
            "This program will copy these PPD files into the OSX PPD directory:\n"
            "    Sample One.ppd\n    Sample Two.PPD\n"))
        app.key("ctrl+q")
        self.assertEqual(app.wait_exit(), 0)

    def test_debug_button_shows_only_with_ctrl_and_alt_held_at_start(self):
        for held, shown in ((("ctrl", "alt"), True), (("ctrl",), False), (("alt",), False)):
            with self.subTest(held=held):
                installer = Installer(DESKTOP, ARGS.binary, ARGS.helper)
                installer.add_ppd("Sample.ppd")
                try:
                    DESKTOP.keys_down(*held)
                    installer.start()
                    self.assertEqual(installer.showing(
                        installer.find_accessible("push button", "Debug")[0]), shown)
                    DESKTOP.keys_up(*held)
                    installer.key("Escape")
                    self.assertEqual(installer.wait_exit(), 0)
                finally:
                    DESKTOP.keys_up(*held)
                    installer.stop()

    def test_layout_follows_the_window_size(self):
        app = self.installer.start()
        log = app.find_accessible("text")[0]
        quit_button = app.find_accessible("push button", "Quit")[0]
        install = app.find_accessible("push button", "Install PPDs")[0]
        lx, ly, lw, lh = app.extents(log)
        qx, qy, qw, qh = app.extents(quit_button)
        ix, iy, iw, ih = app.extents(install)
        self.assertEqual((lw, lh), (658, 416))
        self.assertEqual((qw, qh), (109, 20))
        self.assertEqual(qx - lx, 562 - 13)
        self.assertEqual(qy - ly, 517 - 14)
        self.assertEqual(qy - iy, 517 - 447)
        self.assertEqual(qx + qw, lx + lw)
        if ARGS.screenshots:
            app.screenshot(os.path.join(ARGS.screenshots, "window.png"))

        width, height = DESKTOP.xdotool("getwindowgeometry", "--shell", app.window).split("\n")[3:5]
        grow_w, grow_h = 200, 120
        DESKTOP.xdotool("windowsize", "--sync", app.window,
                        str(int(width.split("=")[1]) + grow_w),
                        str(int(height.split("=")[1]) + grow_h))
        wait_for(lambda: app.extents(log)[2] == lw + grow_w, what="the log to grow")
        self.assertEqual(app.extents(log)[:2], (lx, ly))
        self.assertEqual(app.extents(log)[2:], (lw + grow_w, lh + grow_h))
        self.assertEqual(app.extents(quit_button), (qx + grow_w, qy + grow_h, qw, qh))
        app.key("Escape")
        self.assertEqual(app.wait_exit(), 0)

    def test_quit_button_quits(self):
        app = self.installer.start()
        app.click(app.find_accessible("push button", "Quit")[0])
        self.assertEqual(app.wait_exit(), 0)



if __name__ == "__main__":
    run_tests(sys.modules[__name__])
