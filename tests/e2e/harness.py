"""Drives the real installer binary in a real X server, as a person would.

A Desktop is an Xvfb display with a session bus and the accessibility bus, so that
the window can be read the way a screen reader reads it. An Installer is one run of
the sandbox binary, copied into a folder of its own with "PPDs" and "volume" beside it.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SYSTEM_FOLDER = os.path.join("Library", "Printers", "PPDs", "Contents", "Resources", "en.lproj")


def wait_for(predicate, timeout=15.0, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


class Desktop:
    """An X server with a session bus and the accessibility bus running on it."""

    def __init__(self):
        self.processes = []
        self.env = dict(os.environ)

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.processes.append(xvfb)
        with os.fdopen(read_fd) as displays:
            number = displays.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.env["QT_ACCESSIBILITY"] = "1"
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"

        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                               env=self.env)
        self.processes.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if os.path.exists(launcher):
            self.processes.append(subprocess.Popen(
                [launcher, "--launch-immediately"], env=self.env,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})
        time.sleep(0.3)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.stdout:
                process.stdout.close()
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                                text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (args, result.stderr))
        return result.stdout.strip()

    def keys_down(self, *keys):
        self.xdotool("keydown", *keys)

    def keys_up(self, *keys):
        self.xdotool("keyup", *keys)


class Installer:
    """The sandbox build copied into a folder with PPDs and a volume beside it.

    Given a folder, the binary runs where it is, in that folder: the caller has laid out
    its "PPDs" and "volume", and the folder is left as it is at the end."""

    def __init__(self, desktop, binary, helper=None, folder=None):
        self.desktop = desktop
        self.owns_folder = folder is None
        self.folder = folder or tempfile.mkdtemp(prefix="ppd-e2e-")
        self.binary = binary if folder else os.path.join(self.folder, os.path.basename(binary))
        self.ppds = os.path.join(self.folder, "PPDs")
        self.volume = os.path.join(self.folder, "volume")
        self.system = os.path.join(self.volume, SYSTEM_FOLDER)
        if self.owns_folder:
            shutil.copy2(binary, self.binary)
            if helper:
                shutil.copy2(helper, os.path.join(self.folder, os.path.basename(helper)))
            os.makedirs(self.ppds)
            os.makedirs(self.system)
        self.process = None
        self.window = None

    def add_ppd(self, name, content=None, folder=None):
        path = os.path.join(folder or self.ppds, name)
        with open(path, "wb") as f:
            f.write(content if content is not None else
                    b'*PPD-Adobe: "4.3"\n*ModelName: "' + name.encode() + b'"\n')
        return path

    def start(self, env=None):
        run_env = dict(self.desktop.env)
        run_env.update(env or {})
        return self.attach(subprocess.Popen([self.binary], cwd="/", env=run_env,
                                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT))

    def attach(self, process):
        """Follows a run started some other way, as a desktop's launcher starts it."""
        self.process = process
        self.window = wait_for(self._find_window, what="the installer window")
        return self

    def _find_window(self):
        if self.process.poll() is not None:
            said = self.process.stdout.read() if self.process.stdout else ""
            raise AssertionError("the installer ended early with status %s: %s" %
                                 (self.process.returncode, said))
        out = self.desktop.xdotool("search", "--onlyvisible", "--pid", str(self.process.pid),
                                   "--class", "", check=False)
        for window in out.split():
            name = self.desktop.xdotool("getwindowname", window, check=False)
            if name.startswith("PPD"):
                return window
        return None

    def title(self):
        return self.desktop.xdotool("getwindowname", self.window)

    def focus(self):
        self.desktop.xdotool("windowfocus", "--sync", self.window, check=False)

    def key(self, *keys):
        self.focus()
        self.desktop.xdotool("key", "--clearmodifiers", *keys)

    def screenshot(self, path):
        subprocess.run(["import", "-window", self.window, path], env=self.desktop.env,
                       check=True, timeout=30)
        return path

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the installer did not end")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(5)
        if self.process and self.process.stdout:
            self.process.stdout.close()
        if self.owns_folder:
            shutil.rmtree(self.folder, ignore_errors=True)

    # Reading the window the way a screen reader does.

    def accessible(self):
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        def mine():
            for app in desktop:
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            return None
        return wait_for(mine, what="the installer on the accessibility bus")

    def find_accessible(self, role, name=None, timeout=10.0):
        import pyatspi
        def lookup():
            root = self.accessible()
            found = pyatspi.findAllDescendants(
                root, lambda a: a.getRoleName() == role and (name is None or a.name == name))
            return found or None
        return wait_for(lookup, timeout=timeout, what="%s %r" % (role, name))

    def showing(self, accessible):
        import pyatspi
        return accessible.getState().contains(pyatspi.STATE_SHOWING)

    def extents(self, accessible):
        import pyatspi
        box = accessible.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
        return (box.x, box.y, box.width, box.height)

    def log_text(self):
        """The log's text as the user gets it: select everything, copy, read the clipboard."""
        log = self.find_accessible("text")[0]
        x, y, w, h = self.extents_on_screen(log)
        self.desktop.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
        self.key("ctrl+a")
        self.key("ctrl+c")
        time.sleep(0.2)
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.desktop.env,
                                capture_output=True, timeout=10)
        return result.stdout.decode("utf-8", "replace")

    def extents_on_screen(self, accessible):
        import pyatspi
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return (box.x, box.y, box.width, box.height)

    def click(self, accessible):
        x, y, w, h = self.extents_on_screen(accessible)
        self.desktop.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")

    def message_box_texts(self):
        """Texts of the message boxes that are open now."""
        import pyatspi
        root = self.accessible()
        texts = []
        for dialog in pyatspi.findAllDescendants(root, lambda a: a.getRoleName() in ("dialog", "alert")):
            if not self.showing(dialog):
                continue
            for label in pyatspi.findAllDescendants(dialog, lambda a: a.getRoleName() == "label"):
                if label.name:
                    texts.append(label.name)
        return texts


def log_of(installer):
    """The log's text as a screen reader reads it."""
    log = installer.find_accessible("text")[0]
    text = log.queryText()
    return text.getText(0, text.characterCount)


def wait_for_log(installer, needle, timeout=30.0):
    return wait_for(lambda: needle in log_of(installer) and log_of(installer),
                    timeout=timeout, what="%r in the log" % needle)


def wait_for_message_box(installer, timeout=15.0):
    return wait_for(lambda: installer.message_box_texts(), timeout=timeout,
                    what="a message box")


def dismiss_message_box(installer):
    """Presses OK in the open message box, as a user would, and returns its text."""
    import pyatspi
    texts = wait_for_message_box(installer)
    root = installer.accessible()
    for dialog in pyatspi.findAllDescendants(root, lambda a: a.getRoleName() in ("dialog", "alert")):
        if not installer.showing(dialog):
            continue
        ok = pyatspi.findDescendant(dialog, lambda a: a.getRoleName() == "push button")
        installer.click(ok)
        break
    wait_for(lambda: not installer.message_box_texts(), what="the message box to close")
    return texts


class FakeFileManager:
    """Plays the desktop's file manager on the session bus and records what it is asked
    to show."""

    INTERFACE = """
    <node><interface name="org.freedesktop.FileManager1">
      <method name="ShowFolders">
        <arg type="as" name="URIs" direction="in"/><arg type="s" name="StartupId" direction="in"/>
      </method>
    </interface></node>"""

    def __init__(self):
        self.shown = []

    def __enter__(self):
        import threading
        from gi.repository import Gio, GLib
        self.loop = GLib.MainLoop()
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        info = Gio.DBusNodeInfo.new_for_xml(self.INTERFACE).interfaces[0]

        def call(connection, sender, path, interface, method, parameters, invocation):
            self.shown.extend(parameters.unpack()[0])
            invocation.return_value(None)

        self.registration = self.bus.register_object("/org/freedesktop/FileManager1", info,
                                                     call, None, None)
        self.owner = Gio.bus_own_name_on_connection(
            self.bus, "org.freedesktop.FileManager1", Gio.BusNameOwnerFlags.NONE, None, None)
        self.thread = threading.Thread(target=self.loop.run, daemon=True)
        self.thread.start()
        return self

    def __exit__(self, *exc):
        from gi.repository import Gio
        Gio.bus_unown_name(self.owner)
        self.bus.unregister_object(self.registration)
        self.loop.quit()
        self.thread.join(5)


def run_tests(module, add_arguments=None):
    """Runs a test module's cases on one desktop; the module gets ARGS and DESKTOP.
    add_arguments(parser) adds the module's own options."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--helper")
    parser.add_argument("--screenshots")
    if add_arguments:
        add_arguments(parser)
    module.ARGS, rest = parser.parse_known_args()
    with Desktop() as desktop:
        module.DESKTOP = desktop
        program = unittest.main(module=module, argv=[sys.argv[0]] + rest, exit=False,
                                verbosity=2)
    sys.exit(0 if program.result.wasSuccessful() else 1)
