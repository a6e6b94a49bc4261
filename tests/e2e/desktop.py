"""Drives the real program over the desktop accessibility bus (AT-SPI).

Controls are found by role and name, as a screen reader finds them, never
by pixel position. Every wait has a bound, so a broken program fails the
test instead of hanging it.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

import faults
from faults import FaultTestError, expect  # noqa: F401 (expect is for the tests)

WAIT_SECONDS = 20


def wait_for(what, find, seconds=WAIT_SECONDS):
    """Polls find() until it gives something other than None or False."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = find()
        except Exception:  # the tree changes under our feet while windows open and close
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise FaultTestError("gave up waiting for " + what)
        time.sleep(0.1)


def children(accessible):
    try:
        return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]
    except Exception:
        return []


def descendants(accessible):
    """Every accessible below this one, breadth first."""
    level = [accessible]
    while level:
        following = []
        for node in level:
            for child in children(node):
                if child is not None:
                    yield child
                    following.append(child)
        level = following


def role_name(accessible):
    try:
        return accessible.getRoleName()
    except Exception:
        return ""


def name_of(accessible):
    try:
        return (accessible.name or "").strip()
    except Exception:
        return ""


def find(root, role, name=None):
    for node in descendants(root):
        if role_name(node) == role and (name is None or name_of(node) == name):
            return node
    return None


def find_task_list(window):
    """The main window's task list, whichever table role the toolkit gives it."""
    for role in ("tree table", "table", "tree"):
        found = find(window, role, "Task list")
        if found:
            return found
    return None


def add_files_through_open_dialog(program, window, paths):
    """Presses Add Files, types the quoted paths into the Open dialog's file
    name field and presses Open, as a user of a screen reader would."""
    press(find(window, "push button", "Add Files"))
    dialog = wait_for("the Open dialog", lambda: next(
        (w for w in children(program.app) if role_name(w) in ("dialog", "file chooser")
         and name_of(w) != "Tolvar Audio Extractor"), None))
    file_name = wait_for("the file name field", lambda: find(dialog, "text", "File name:"))
    type_text(file_name, " ".join('"%s"' % path for path in paths))
    press(find(dialog, "push button", "Open"))


def press(accessible):
    """The control's first action: a click for buttons, check boxes and menu items."""
    accessible.queryAction().doAction(0)


def click(accessible):
    """A real mouse click in the middle of the control, for what only the
    mouse does (a click on a list row, say)."""
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(extents.x + extents.width // 2),
                    str(extents.y + extents.height // 2), "click", "1"], check=True)


def type_text(accessible, text):
    accessible.queryEditableText().setTextContents(text)


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def screenshot(accessible, path):
    """Saves the part of the X screen that the accessible covers as a PNG."""
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    display = os.environ["DISPLAY"]
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "x11grab",
                    "-video_size", "%dx%d" % (extents.width, extents.height),
                    "-i", "%s+%d,%d" % (display, max(extents.x, 0), max(extents.y, 0)),
                    "-frames:v", "1", path], check=True)
    return path


class Program:
    """A copy of the program folder, run with a home of its own."""

    def __init__(self, program_folder, leave_out=()):
        self.root = tempfile.mkdtemp(prefix="tolvar-e2e-")
        self.folder = os.path.join(self.root, "program")
        shutil.copytree(program_folder, self.folder,
                        ignore=lambda folder, names: [n for n in names if n in leave_out or n == "option.ini"])
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.process = None
        self.app = None

    def start(self, *arguments, stderr=None):
        """Starts the program with the files to add; `stderr`, a file, gets
        its error output instead of the test's own."""
        environment = dict(os.environ)
        environment.update({"HOME": self.home, "QT_QPA_PLATFORM": "xcb",
                            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                            "TMPDIR": os.path.join(self.root, "tmp")})
        os.makedirs(environment["TMPDIR"], exist_ok=True)
        executable = os.path.join(self.folder, "tolvar-audio-extractor")
        self.process = subprocess.Popen([executable, *arguments], env=environment, stderr=stderr)
        self.app = wait_for("the program on the accessibility bus", self._find_app)
        return self.app

    def _find_app(self):
        if self.process.poll() is not None:
            raise FaultTestError("the program ended early with status %d" % self.process.returncode)
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and name_of(app) == "Tolvar Audio Extractor":
                return app
        return None

    def window(self, title, seconds=WAIT_SECONDS):
        """A top-level window of the program by its title."""
        def top_level():
            for child in children(self.app):
                if name_of(child) == title:
                    return child
            return None
        return wait_for("the window '%s'" % title, top_level, seconds)

    def wait_end(self, seconds):
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise FaultTestError("the program did not end within %d seconds" % seconds)

    def exit_through_menu(self, window, seconds):
        """Presses Exit in the window's menu; the exit status, once the
        program has ended within `seconds`."""
        try:
            press(wait_for("the Exit menu item", lambda: find(window, "menu item", "Exit")))
        except Exception:
            pass  # the program may end before it answers
        return self.wait_end(seconds)

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


def make_video(path, seconds):
    """A small test video at the size the window tests read back, in the
    container's own codecs."""
    return faults.make_video(path, seconds, size="320x240", codecs=None)


def options():
    """The options every desktop test gets from its ctest entry."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program-folder", required=True)
    parser.add_argument("--artefacts", required=True)
    return parser.parse_args()


def run(test):
    """Runs one test function with a Program factory; exit status 0 on success."""
    try:
        test()
    except FaultTestError as error:
        print("FAILED:", error, file=sys.stderr)
        sys.exit(1)
    print("passed")
