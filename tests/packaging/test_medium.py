"""The medium a vendor ships, as a user gets it: CPack's tarball unpacked into a scratch
folder, its layout, its launcher started the way file managers start it, and installations
run from a copy of it that cannot be written, by permissions or by a read-only mount."""

import errno
import glob
import hashlib
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from harness import (SYSTEM_FOLDER, Installer, log_of, run_tests,  # noqa: E402
                     wait_for, wait_for_log)
from test_install import ADDED, NONE_ADDED, NONE_REPLACED, REPLACED, UNCHANGED, intro  # noqa: E402

ARGS = None
DESKTOP = None
SCRATCH = None
UNPACKED = None
MEDIUM = None

PROGRAM = "ppd-installer"
HELPER = "ppd-installer-helper"
LAUNCHER = "ppd-installer.desktop"
ICON = "ppd-installer.svg"
SANDBOX = "ppd-installer-sandbox"
INTRO_END = 'view the OSX PPD directory.'


def add_arguments(parser):
    parser.add_argument("--cpack", required=True)
    parser.add_argument("--cpack-config", required=True)
    parser.add_argument("--samples", required=True)


def setUpModule():
    global SCRATCH, UNPACKED, MEDIUM
    SCRATCH = tempfile.mkdtemp(prefix="ppd-medium-")
    package = os.path.join(SCRATCH, "package")
    made = subprocess.run([ARGS.cpack, "--config", ARGS.cpack_config, "-B", package],
                          capture_output=True, text=True)
    if made.returncode != 0:
        raise RuntimeError("cpack failed:\n" + made.stdout + made.stderr)
    tarballs = glob.glob(os.path.join(package, "*.tar.gz"))
    if len(tarballs) != 1:
        raise RuntimeError("cpack made %r, not one tarball" % tarballs)
    UNPACKED = os.path.join(SCRATCH, "unpacked")
    os.makedirs(UNPACKED)
    subprocess.run(["tar", "-xzf", tarballs[0], "-C", UNPACKED], check=True)
    tops = os.listdir(UNPACKED)
    MEDIUM = os.path.join(UNPACKED, tops[0]) if len(tops) == 1 else None


def tearDownModule():
    subprocess.run(["chmod", "-R", "u+w", SCRATCH], check=False)
    shutil.rmtree(SCRATCH, ignore_errors=True)


def samples():
    return sorted(os.listdir(ARGS.samples), key=os.fsencode)


def content(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(root):
    """Every entry under root with what a write of any kind would change."""
    entries = {}
    for folder, folders, files in os.walk(root):
        for path in [folder] + [os.path.join(folder, n) for n in folders + files]:
            st = os.lstat(path)
            entry = (st.st_mode, st.st_uid, st.st_gid, st.st_size, st.st_mtime_ns,
                     st.st_ctime_ns)
            if stat.S_ISREG(st.st_mode):
                entry += (hashlib.sha256(content(path)).hexdigest(),)
            elif stat.S_ISLNK(st.st_mode):
                entry += (os.readlink(path),)
            entries[os.path.relpath(path, root)] = entry
    return entries


def changes(before, after):
    """The entries that came, went or changed between two snapshots."""
    return sorted(path for path in before.keys() | after.keys()
                  if before.get(path) != after.get(path))


def copy_of_medium(name):
    """A copy of the unpacked medium, as it sits on a disc mounted under that name."""
    disc = os.path.join(tempfile.mkdtemp(dir=SCRATCH), name)
    shutil.copytree(MEDIUM, disc, symlinks=True)
    return disc


class Launched:
    """A run that a desktop launcher started: as much of Popen as the harness uses."""

    stdout = None

    def __init__(self, pid):
        self.pid = pid
        self.returncode = None

    def poll(self):
        if self.returncode is None:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.returncode = os.waitstatus_to_exitcode(status)
        return self.returncode

    def wait(self, timeout=None):
        try:
            wait_for(lambda: self.poll() is not None, timeout=timeout or 15,
                     what="the program to end")
        except AssertionError:
            raise subprocess.TimeoutExpired(PROGRAM, timeout)
        return self.returncode

    def kill(self):
        os.kill(self.pid, signal.SIGKILL)


class LayoutTest(unittest.TestCase):
    def test_the_tarball_holds_one_folder_with_the_medium(self):
        self.assertEqual(len(os.listdir(UNPACKED)), 1, os.listdir(UNPACKED))
        self.assertEqual(sorted(os.listdir(MEDIUM)),
                         sorted([PROGRAM, HELPER, "PPDs", LAUNCHER, ICON, "README.txt"]))
        for name in (PROGRAM, HELPER, LAUNCHER):
            mode = os.stat(os.path.join(MEDIUM, name)).st_mode
            self.assertEqual(mode & 0o111, 0o111, "%s is not executable for all" % name)
        ppds = os.path.join(MEDIUM, "PPDs")
        self.assertEqual(sorted(os.listdir(ppds), key=os.fsencode), samples())
        for name in samples():
            self.assertEqual(content(os.path.join(ppds, name)),
                             content(os.path.join(ARGS.samples, name)), name)

    def test_the_programs_take_libraries_from_the_system_only(self):
        # The helper runs as root: a search path would let it load libraries from the disc,
        # from the folder above it or, for an empty entry, from the working folder.
        for name in (PROGRAM, HELPER):
            dynamic = subprocess.run(["readelf", "-d", os.path.join(MEDIUM, name)],
                                     capture_output=True, text=True, check=True).stdout
            self.assertIn("NEEDED", dynamic)
            self.assertEqual([line for line in dynamic.splitlines() if "PATH)" in line], [],
                             name)

    def test_the_launcher_is_valid_and_the_icon_is_an_svg_picture(self):
        checked = subprocess.run(["desktop-file-validate", os.path.join(MEDIUM, LAUNCHER)],
                                 capture_output=True, text=True)
        self.assertEqual((checked.returncode, checked.stdout + checked.stderr), (0, ""))
        icon = ElementTree.parse(os.path.join(MEDIUM, ICON)).getroot()
        self.assertEqual(icon.tag, "{http://www.w3.org/2000/svg}svg")
        self.assertIn("viewBox", icon.attrib)


class LauncherTest(unittest.TestCase):
    """The launcher starts the program beside it on a read-only disc mounted anywhere."""

    def setUp(self):
        self.installer = None

    def tearDown(self):
        if self.installer:
            self.installer.stop()

    def launch(self, info, cwd):
        from gi.repository import Gio, GLib
        context = Gio.AppLaunchContext()
        for key, value in DESKTOP.env.items():
            context.setenv(key, value)
        pids = []
        # The launched program starts in our working folder.
        here = os.getcwd()
        os.chdir(cwd)
        try:
            info.launch_uris_as_manager(
                [], context, GLib.SpawnFlags.SEARCH_PATH | GLib.SpawnFlags.DO_NOT_REAP_CHILD,
                None, None, lambda _info, pid, _data: pids.append(pid), None)
        finally:
            os.chdir(here)
        self.assertEqual(len(pids), 1)
        return Launched(pids[0])

    def test_from_its_own_location_or_in_its_own_folder(self):
        try:
            from gi.repository import Gio, GLib
        except ImportError as e:
            self.skipTest("no GLib for Python to launch with: %s" % e)
        disc = copy_of_medium("Vendor's PPD Disc \u00e9")
        subprocess.run(["chmod", "-R", "a-w", disc], check=True)
        before = snapshot(disc)
        launcher = os.path.join(disc, LAUNCHER)
        elsewhere = tempfile.mkdtemp(dir=SCRATCH)
        keys = GLib.KeyFile()
        keys.load_from_file(launcher, GLib.KeyFileFlags.NONE)
        ways = [
            # GLib's launchers pass the launcher's own path and keep their working folder.
            ("own location", Gio.DesktopAppInfo.new_from_filename(launcher), elsewhere),
            # A launcher that reads the keys alone leaves %k empty; run in the launcher's
            # folder, the program is found all the same.
            ("own folder", Gio.DesktopAppInfo.new_from_keyfile(keys), disc),
        ]
        for way, info, cwd in ways:
            with self.subTest(way):
                self.assertIsNotNone(info)
                app = Installer(DESKTOP, os.path.join(disc, PROGRAM), folder=disc)
                self.installer = app
                app.attach(self.launch(info, cwd))
                self.assertEqual(os.path.realpath("/proc/%d/exe" % app.process.pid),
                                 os.path.realpath(os.path.join(disc, PROGRAM)))
                log = wait_for_log(app, INTRO_END)
                self.assertEqual(log.split("\n"), intro(samples()) + [""])
                app.key("ctrl+q")
                self.assertEqual(app.wait_exit(), 0)
                self.installer = None
        self.assertEqual(changes(before, snapshot(disc)), [])


class InstallFromReadOnlyMediumTest(unittest.TestCase):
    """The sandbox build sits in a copy of the medium, whose "volume" leads out of it to a
    scratch folder: PPDs are read from the medium and written only into that folder."""

    def setUp(self):
        self.installer = None
        self.mounts = []
        if os.geteuid() != 0:
            self.skipTest("installing asks for rights through pkexec, and no one can answer "
                          "here: run as root to install from the medium")
        self.disc = copy_of_medium("PPD Disc")
        shutil.copy2(ARGS.binary, os.path.join(self.disc, SANDBOX))
        self.volume = tempfile.mkdtemp(dir=SCRATCH, prefix="volume-")
        os.symlink(self.volume, os.path.join(self.disc, "volume"))
        self.system = os.path.join(self.volume, SYSTEM_FOLDER)
        os.makedirs(self.system)
        names = samples()
        # One of them is installed already in an older version, to be replaced.
        self.older = names[1]
        with open(os.path.join(self.system, self.older), "wb") as f:
            f.write(b'*PPD-Adobe: "4.3"\n*ModelName: "Older"\n')

    def tearDown(self):
        if self.installer:
            self.installer.stop()
        for mount in reversed(self.mounts):
            subprocess.run(["umount", "-l", mount], check=False)

    def test_from_a_copy_without_write_permissions(self):
        # As root this does not stop writes; the snapshot shows there were none.
        subprocess.run(["chmod", "-R", "a-w", self.disc], check=True)
        self.install_twice()

    def test_from_a_read_only_mount(self):
        for options in (["--bind", self.disc, self.disc],
                        ["-o", "remount,bind,ro", self.disc]):
            mounted = subprocess.run(["mount", *options], capture_output=True, text=True)
            if mounted.returncode != 0:
                self.skipTest("cannot mount the medium read-only here: " +
                              mounted.stderr.strip())
            if not self.mounts:
                self.mounts.append(self.disc)
        with self.assertRaises(OSError) as refused:
            open(os.path.join(self.disc, "probe"), "wb").close()
        self.assertEqual(refused.exception.errno, errno.EROFS)
        self.install_twice()

    def report_after(self, app, before, expected):
        """The log's lines after before, once they are the expected report or time is up."""
        def lines():
            return log_of(app)[len(before):].rstrip("\n").split("\n")
        try:
            wait_for(lambda: lines() == expected, timeout=60, what="the report")
        except AssertionError:
            pass
        return lines()

    def install_twice(self):
        before = snapshot(self.disc)
        app = Installer(DESKTOP, os.path.join(self.disc, SANDBOX), folder=self.disc)
        self.installer = app
        app.start()
        names = samples()
        log = wait_for_log(app, INTRO_END)
        self.assertEqual(log.split("\n"), intro(names) + [""])

        app.click(app.find_accessible("push button", "Install PPDs")[0])
        expected = ([ADDED] + ["    " + n for n in names if n != self.older] +
                    [REPLACED, "    " + self.older])
        self.assertEqual(self.report_after(app, log, expected), expected)
        self.assertEqual(sorted(os.listdir(self.system), key=os.fsencode), names)
        for name in names:
            self.assertEqual(content(os.path.join(self.system, name)),
                             content(os.path.join(ARGS.samples, name)), name)

        log = log_of(app)
        app.key("Return")
        expected = [NONE_ADDED, NONE_REPLACED, UNCHANGED] + ["    " + n for n in names]
        self.assertEqual(self.report_after(app, log, expected), expected)
        app.key("ctrl+q")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(changes(before, snapshot(self.disc)), [])


if __name__ == "__main__":
    run_tests(sys.modules[__name__], add_arguments)
