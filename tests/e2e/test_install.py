"""Installing PPDs through the real window: the report, the fatal messages, failing copies,
odd names, a second press during a run, and what the log shows of it all."""

import os
import subprocess
import sys
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (FakeFileManager, Installer, dismiss_message_box,  # noqa: E402
                     log_of, run_tests, wait_for, wait_for_log)

ARGS = None
DESKTOP = None

ADDED = "These PPDs were added:"
REPLACED = "These PPDs were replaced with versions from the CD:"
UNCHANGED = "These PPDs match the versions on the CD and were not changed:"
FAILED = "These PPDs could not be installed:"
NONE_ADDED = "No PPDs were added."
NONE_REPLACED = "No PPDs were replaced."


def intro(names):
    return (["This program will copy these PPD files into the OSX PPD directory:"] +
            ["    " + n for n in names] +
            ["", "If any of these PPDs exist already and differ from the versions on the CD, "
                 "they will be replaced with the CD versions.",
             "", 'Press "Install PPDs" to perform the installation.',
             'Press "Show in Finder" to view the OSX PPD directory.', ""])


class InstallTest(unittest.TestCase):
    def setUp(self):
        self.installer = Installer(DESKTOP, ARGS.binary, ARGS.helper)
        self.mounts = []

    def tearDown(self):
        for mount in reversed(self.mounts):
            subprocess.run(["umount", "-l", mount], check=False)
        self.installer.stop()

    def content(self, name, folder):
        with open(os.path.join(folder, name), "rb") as f:
            return f.read()

    def press_install(self):
        app = self.installer
        app.click(app.find_accessible("push button", "Install PPDs")[0])

    def report_after(self, before):
        """Waits for the next report and returns its lines."""
        def finished():
            text = log_of(self.installer)
            if len(text) <= len(before):
                return None
            tail = text[len(before):]
            return tail if (NONE_REPLACED in tail or REPLACED in tail) else None
        wait_for(finished, timeout=60, what="the report")
        # The report's later sections follow; it is whole once the log stops growing.
        previous = None
        while True:
            text = log_of(self.installer)
            if text == previous:
                break
            previous = text
            subprocess.run(["sleep", "0.5"])
        return text[len(before):].rstrip("\n").split("\n")

    def test_first_run_second_run_and_the_copied_log(self):
        names = ["A Printer.ppd", "b.PPD", "-dash 'q' \"dq\".ppd", "caf\u00e9 colon:name.ppd"]
        for name in names:
            self.installer.add_ppd(name)
        app = self.installer.start()
        expected_intro = intro(sorted(names, key=lambda n: n.encode()))
        wait_for_log(app, 'view the OSX PPD directory.')
        before = log_of(app)
        self.assertEqual(before.split("\n"), expected_intro + [""])

        self.press_install()
        first = self.report_after(before)
        ordered = sorted(names, key=lambda n: n.encode())
        self.assertEqual(first, [ADDED] + ["    " + n for n in ordered] + [NONE_REPLACED])
        for name in names:
            self.assertEqual(self.content(name, app.system), self.content(name, app.ppds), name)
        if ARGS.screenshots:
            app.screenshot(os.path.join(ARGS.screenshots, "after-first-run.png"))

        before = log_of(app)
        app.key("Return")
        second = self.report_after(before)
        self.assertEqual(second, [NONE_ADDED, NONE_REPLACED, UNCHANGED] +
                         ["    " + n for n in ordered])

        copied = app.log_text().rstrip("\n").split("\n")
        self.assertEqual(copied[:len(expected_intro) - 1], expected_intro[:-1])
        self.assertEqual(copied[-len(second):], second)

    def test_new_changed_and_identical(self):
        app = self.installer
        app.add_ppd("new.ppd")
        app.add_ppd("changed.ppd", b"*PPD-Adobe: \"4.3\"\n*ModelName: \"Changed\"\n")
        app.add_ppd("case.ppd", b"*PPD-Adobe: \"4.3\"\n*ModelName: \"Case\"\n")
        app.add_ppd("same.ppd")
        app.add_ppd("changed.ppd", b"*PPD-Adobe: \"4.3\"\n*ModelName: \"Older\"\n", app.system)
        app.add_ppd("case.ppd", b"*PPD-Adobe: \"4.3\"\n*ModelName: \"CASE\"\n", app.system)
        app.add_ppd("same.ppd", None, app.system)
        app.start()
        before = wait_for_log(app, 'view the OSX PPD directory.')
        self.press_install()
        self.assertEqual(self.report_after(before),
                         [ADDED, "    new.ppd", REPLACED, "    case.ppd", "    changed.ppd",
                          UNCHANGED, "    same.ppd"])
        for name in ("new.ppd", "changed.ppd", "case.ppd", "same.ppd"):
            self.assertEqual(self.content(name, app.system), self.content(name, app.ppds))

    def test_fatal_messages(self):
        app = self.installer
        # No PPD files: the box at opening, and the third message at install.
        app.add_ppd("readme.txt")
        app.start()
        self.assertEqual(dismiss_message_box(app), [
            "Fatal installer error: the input PPDs folder contained no PPD files. "
            "No PPDs were installed."])
        self.press_install()
        self.assertEqual(dismiss_message_box(app), [
            "Fatal installer error: the input PPDs folder contained no PPD files. "
            "No PPDs were installed."])
        # No system folder.
        os.rename(os.path.join(app.volume, "Library"), os.path.join(app.volume, "Gone"))
        self.press_install()
        self.assertEqual(dismiss_message_box(app), [
            "Fatal installer error: the OS X PPDs folder was not found. "
            "No PPDs were installed."])
        # Both folders missing: only the input folder is named.
        os.rename(app.ppds, app.ppds + ".gone")
        self.press_install()
        self.assertEqual(dismiss_message_box(app), [
            "Fatal installer error: the input PPDs folder not found. No PPDs were installed."])
        self.assertEqual(log_of(app), "")

    def test_failing_copies_are_reported_as_such(self):
        app = self.installer
        app.add_ppd("fits.ppd")
        app.add_ppd("too big.ppd", b"*PPD-Adobe: \"4.3\"\n" + b"*% padding\n" * 40000)
        app.add_ppd("folder.ppd")
        tiny = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", app.system],
                              capture_output=True)
        if tiny.returncode != 0:
            self.skipTest("cannot mount a small file system here: %s" % tiny.stderr)
        self.mounts.append(app.system)
        os.makedirs(os.path.join(app.system, "folder.ppd"))
        app.start()
        before = wait_for_log(app, 'view the OSX PPD directory.')
        self.press_install()
        # A folder in the file's place gives a message that it cannot be read.
        texts = dismiss_message_box(app)
        self.assertTrue(texts[0].startswith("Unable to open "), texts)
        report = self.report_after(before)
        # The copy tool's own complaint comes first, then the report.
        self.assertIn("No space left on device", report[0])
        self.assertEqual(report[1:], [ADDED, "    fits.ppd", NONE_REPLACED,
                                      FAILED, "    folder.ppd", "    too big.ppd"])
        self.assertTrue(os.path.isdir(os.path.join(app.system, "folder.ppd")))
        self.assertEqual(os.listdir(os.path.join(app.system, "folder.ppd")), [])

    def test_progress_shows_during_a_long_run_and_a_second_press_starts_nothing(self):
        app = self.installer
        count = 2000  # long enough that the presses below land during the run
        for i in range(count):
            app.add_ppd("printer %04d.ppd" % i, b"*PPD-Adobe: \"4.3\"\n" + b"*% x\n" * 2000)
        app.start()
        before = wait_for_log(app, 'view the OSX PPD directory.', timeout=60)
        progress = app.find_accessible("progress bar")[0]
        self.assertFalse(app.showing(progress))
        self.press_install()
        wait_for(lambda: app.showing(progress), what="the progress bar")
        wait_for(lambda: progress.queryValue().currentValue >= 10, what="some progress")
        self.press_install()
        app.key("Return")
        self.assertTrue(app.showing(progress), "the run ended before the second press")
        self.assertEqual(progress.queryValue().maximumValue, count)
        if ARGS.screenshots:
            app.screenshot(os.path.join(ARGS.screenshots, "during-run.png"))
        report = self.report_after(before)
        self.assertEqual(report, [ADDED] + ["    printer %04d.ppd" % i for i in range(count)] +
                         [NONE_REPLACED])
        wait_for(lambda: not app.showing(progress), what="the progress bar to go")
        self.assertEqual(len(os.listdir(app.system)), count)

    def test_show_in_finder_asks_the_file_manager_for_the_system_folder(self):
        app = self.installer
        app.add_ppd("a.ppd")
        with FakeFileManager() as manager:
            app.start()
            wait_for_log(app, 'view the OSX PPD directory.')
            app.click(app.find_accessible("push button", "Show in Finder")[0])
            wait_for(lambda: manager.shown, what="the file manager to be asked")
            self.assertEqual(manager.shown, ["file://" + urllib.parse.quote(app.system)])
            self.assertEqual(app.message_box_texts(), [])


    def test_quitting_during_a_run_ends_after_the_copy_in_hand(self):
        app = self.installer
        count = 2000  # long enough that the quit lands during the run
        content = b"*PPD-Adobe: \"4.3\"\n" + b"*% x\n" * 2000
        for i in range(count):
            app.add_ppd("printer %04d.ppd" % i, content)
        app.start()
        wait_for_log(app, 'view the OSX PPD directory.', timeout=60)
        progress = app.find_accessible("progress bar")[0]
        self.press_install()
        wait_for(lambda: progress.queryValue().currentValue >= 5, what="some progress")
        app.key("ctrl+q")
        self.assertEqual(app.wait_exit(), 0)
        installed = os.listdir(app.system)
        self.assertLess(len(installed), count)
        for name in installed:
            self.assertEqual(self.content(name, app.system), content, name)


if __name__ == "__main__":
    run_tests(sys.modules[__name__])
