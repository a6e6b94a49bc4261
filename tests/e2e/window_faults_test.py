"""The real program under bad input and faults, driven over the accessibility
bus as a screen reader user drives it: each failure is named in a message
box, every run ends within a bound and leaves the program with the threads
it had before and no child process, every output a run finished decodes,
and the program ends cleanly (in the sanitizer build: without a report)."""

import os
import random
import re
import shutil
import signal
import time

import faults

# Before anything starts a thread: the mounts of this test are its own.
faults.private_mounts()

import desktop  # noqa: E402
from faults import expect  # noqa: E402

options = desktop.options()
RUN_BOUND_SECONDS = 180
MAIN_WINDOW = "Tolvar Audio Extractor"


class Session:
    """The program, started from a copy of its folder, and what it leaves."""

    def __init__(self, root, arguments=(), option_file=None, archive=None, leave_out=()):
        self.program = desktop.Program(options.program_folder, leave_out=leave_out)
        if option_file:
            shutil.copy(option_file, os.path.join(self.program.folder, "option.ini"))
        if archive:
            shutil.copy(archive, os.path.join(self.program.folder, "zivirad.dat"))
        self.errors_path = os.path.join(root, "program-errors-%d.txt" % id(self))
        self.errors = open(self.errors_path, "w")
        self.program.start(*arguments, stderr=self.errors)
        self.pid = self.program.process.pid
        self.window = None

    def main_window(self):
        self.window = self.program.window(MAIN_WINDOW)
        return self.window

    def box(self, caption, seconds=RUN_BOUND_SECONDS):
        return self.program.window(caption, seconds)

    def boxes(self, caption):
        return [window for window in desktop.children(self.program.app) if desktop.name_of(window) == caption]

    def control(self, role, name):
        return desktop.wait_for("the %s '%s'" % (role, name), lambda: desktop.find(self.window, role, name))

    def add_through_open_dialog(self, paths):
        desktop.add_files_through_open_dialog(self.program, self.window, paths)

    def rows(self):
        task_list = desktop.find_task_list(self.window)
        cells = [desktop.name_of(cell) for cell in desktop.descendants(task_list)
                 if desktop.role_name(cell) == "table cell"]
        columns = task_list.queryTable().nColumns
        return [cells[i:i + columns] for i in range(0, len(cells), columns)]

    def wait_rows(self, count):
        return desktop.wait_for("%d rows in the task list" % count, lambda: len(self.rows()) == count and self.rows())

    def answer(self, caption, button, seconds=RUN_BOUND_SECONDS):
        """Reads the message box of that caption and presses the button."""
        box = self.box(caption, seconds)
        text = "\n".join(desktop.name_of(label) for label in desktop.descendants(box)
                         if desktop.role_name(label) == "label" and desktop.name_of(label))
        desktop.press(desktop.find(box, "push button", button))
        desktop.wait_for("the box '%s' to close" % caption, lambda: box not in self.boxes(caption))
        return text

    def set_output_folder(self, folder):
        desktop.type_text(self.control("text", "Output Path"), folder)

    def baseline(self):
        """What the program holds while idle: its thread count."""
        expect(not faults.children_of(self.pid), "no child process before the run")
        return faults.thread_count(self.pid)

    def expect_idle(self, threads, what):
        """Back to the threads it had, with no child process, within a bound."""
        faults.wait_until("%s: the program's threads back to %d and no child" % (what, threads),
                          lambda: faults.thread_count(self.pid) == threads and not faults.children_of(self.pid),
                          30)

    def close(self):
        """Exit through the menu; the program ends with status 0 and without
        a sanitizer report."""
        status = self.program.exit_through_menu(self.window, 60)
        self.program.close()
        errors = self.error_output()
        expect(not faults.sanitizer_reports(errors), "a sanitizer report:\n" + errors)
        expect(status == 0, "the program ends with status 0, not %d" % status)

    def kill(self):
        """After a failure: the program's last words are shown, and it goes."""
        self.program.close()
        print(self.error_output()[-5000:], flush=True)

    def error_output(self):
        self.errors.close()
        with open(self.errors_path, errors="replace") as file:
            return file.read()


class Suite(faults.Media):
    def __init__(self):
        super().__init__("tolvar-window-faults-")
        self.failures = []

    def output(self, name):
        return os.path.join(self.root, "out-" + name)

    def session(self, name, test, **arguments):
        started = time.monotonic()
        session = None
        try:
            session = Session(self.root, **arguments)
            test(session)
            session.close()
            session = None
            print("ok %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
        except (AssertionError, OSError) as error:
            print("FAILED %s: %s" % (name, error), flush=True)
            self.failures.append(name)
        finally:
            if session:
                session.kill()


def start_run(session, output_folder):
    """Start, with that output folder; the threads the idle program had."""
    threads = session.baseline()
    session.set_output_folder(output_folder)
    desktop.press(session.control("push button", "Start"))
    return threads


def run(session, output_folder, boxes):
    """Start, then the boxes the run shows, each (caption, text pattern), in
    order; the program is idle again afterwards."""
    threads = start_run(session, output_folder)
    for caption, pattern in boxes:
        text = session.answer(caption, "OK")
        expect(re.fullmatch(pattern, text, re.S), "the box '%s' says %r, not %r" % (caption, text, pattern))
    session.expect_idle(threads, "after the run")


def failure_report(failed, total, output_folder=None):
    """The closing report, as a pattern, of a run of `total` files in which
    the given ones (name, reason) failed."""
    text = "%d of %d files could not be converted:\n" % (len(failed), total)
    for name, reason in failed:
        text += "\n%s: %s" % (name, reason)
    if output_folder:
        text += "\n\nThe other files were saved to " + output_folder
    return re.escape(text)


def test_bad_sources_and_names(suite, session, refused_arguments, accepted_arguments):
    """Files that are no video are refused by name as they are added, from
    the command line and through the Open dialog; odd names (those that the
    dialog cannot take from the command line), a 4000-character path and a
    damaged sound track are converted."""
    session.main_window()
    for path in refused_arguments:
        expect(session.answer("Information", "OK") == "Fail to open the file " + path,
               "the refusal of %s names it" % path)
    session.wait_rows(len(accepted_arguments))

    refused = [faults.write_bytes(suite.path("random.avi"), faults.random_bytes(200000, 15)),
               faults.truncated_mp4(suite.good, suite.path("truncated.mp4"))]
    accepted = [faults.damaged_audio_mp4(suite.good, suite.path("damaged sound.mp4")),
                shutil.copy(suite.good, suite.path("two  blanks .mp4")),
                shutil.copy(suite.good, suite.path("Çağrı ünïcödé 日本語.mp4"))]
    session.add_through_open_dialog(refused + accepted)
    for path in refused:
        expect(session.answer("Information", "OK") == "Fail to open the file " + path,
               "the refusal of %s names it" % path)
    sources = accepted_arguments + accepted
    rows = session.wait_rows(len(sources))
    expect([row[0] for row in rows] == [os.path.basename(path) for path in sources], "rows %r" % rows)

    output = suite.output("names")
    run(session, output, [("Congratulations!", re.escape("Successfully Extract Audio and Save to " + output))])
    for path in sources:
        name = os.path.splitext(os.path.basename(path))[0] + ".mp3"
        faults.expect_sound(os.path.join(output, name), None if "damaged" in name else 4)


def test_source_deleted(suite, session):
    """A source deleted between adding and Start."""
    session.main_window()
    gone = shutil.copy(suite.good, suite.path("gone.mp4"))
    session.add_through_open_dialog([suite.good, gone])
    session.wait_rows(2)
    os.unlink(gone)
    output = suite.output("gone")
    run(session, output, [("Failure", failure_report(
        [("gone.mp4", "Cannot open %s: No such file or directory" % gone)], 2, output))])
    faults.expect_sound(os.path.join(output, "good.mp3"), 4)


def test_unwritable_output(suite, session):
    """Output folders on a read-only mount: one that cannot be created, one
    that cannot be written. Either is told once at Start, before any task,
    whatever the number of files."""
    session.main_window()
    again = shutil.copy(suite.good, suite.path("again.mp4"))
    session.add_through_open_dialog([suite.good, again])
    session.wait_rows(2)
    for folder, reason in ((os.path.join(suite.read_only, "new"), "No such file or directory"),
                           (suite.read_only, "Read-only file system")):
        run(session, folder, [("Error", re.escape("Cannot write to the output folder %s: %s" % (folder, reason)))])
        expect(not progress_window(session), "no progress window opens")


def test_full_disk(suite, session):
    """A full output disk: the file that fits is whole, the one that fills
    the disk keeps what it got, and the next leaves no empty file."""
    session.main_window()
    again = shutil.copy(suite.good, suite.path("again.mp4"))
    session.add_through_open_dialog([suite.good, suite.long, again])
    session.wait_rows(3)
    desktop.press(session.control("radio button", "To WAV"))
    no_space = "Cannot write the output file: No space left on device"
    disk = suite.disk
    run(session, disk, [("Failure", failure_report([("long.m4a", no_space), ("again.mp4", no_space)], 3, disk))])
    close_notes(session)
    faults.expect_sound(os.path.join(disk, "good.wav"), 4)
    faults.expect_sound(os.path.join(disk, "long.wav"), None)
    expect(sorted(os.listdir(disk)) == ["good.wav", "long.wav"], "what the disk holds: %r" % os.listdir(disk))


def executable_of(pid):
    try:
        return os.readlink("/proc/%d/exe" % pid)
    except OSError:
        return ""  # it ended meanwhile


def test_converter_killed(suite, session):
    """The converter killed from outside in the middle of its task."""
    session.main_window()
    session.add_through_open_dialog([suite.long, suite.good])
    session.wait_rows(2)
    desktop.press(session.control("check box", "Enhanced Engine"))
    output = suite.output("killed")
    threads = start_run(session, output)
    # A child that was just spawned may not have become the converter yet.
    converter = faults.wait_until("the converter", lambda: [child for child in faults.children_of(session.pid)
                                                            if executable_of(child).endswith("/tae")],
                                  RUN_BOUND_SECONDS)[0]
    os.kill(converter, signal.SIGKILL)
    report = session.answer("Failure", "OK")
    expect(re.fullmatch(failure_report([("long.m4a", "The converter was ended by signal 9 (Killed).")], 2, output),
                        report, re.S), "the report names the kill: %r" % report)
    session.expect_idle(threads, "after the killed converter")
    faults.expect_sound(os.path.join(output, "good.mp3"), 4)


def close_notes(session):
    """The note on a source without pictures, which does not wait for an answer."""
    for note in session.boxes("Information"):
        desktop.press(desktop.find(note, "push button", "OK"))


def test_program_folder_faults(suite, session):
    """A garbage option.ini reads as the defaults. A damaged converter
    archive, then one without tae, then one of random bytes, fail the
    converter's tasks by name; the in-process engine does not need the
    converter."""
    session.main_window()
    default_folder = os.path.join(session.program.home, "MyAudio/")
    expect(desktop.text_of(session.control("text", "Output Path")) == default_folder,
           "the default output folder is proposed")
    session.add_through_open_dialog([suite.good])
    session.wait_rows(1)

    desktop.press(session.control("check box", "Enhanced Engine"))
    for archive in (None, faults.converter_archive_without_tae(os.path.join(suite.root, "without-tae.dat")),
                    faults.write_bytes(os.path.join(suite.root, "random.dat"), faults.random_bytes(60000, 1))):
        if archive:
            shutil.copy(archive, os.path.join(session.program.folder, "zivirad.dat"))
        run(session, default_folder, [("Failure", failure_report(
            [("good.mp4", "The converter could not be started.")], 1))])
    desktop.press(session.control("check box", "Enhanced Engine"))
    run(session, default_folder, [("Congratulations!", re.escape("Successfully Extract Audio and Save to "
                                                                  + default_folder))])
    faults.expect_sound(os.path.join(default_folder, "good.mp3"), 4)


def test_stop(suite, session):
    """STOP answered Yes at random moments of a run of three files: the
    in-process engine, the converter (a WMV, with the WMV decoder library
    left out) and the in-process engine again."""
    session.main_window()
    wmv = faults.make_wmv(suite.path("camera.wmv"), 6)
    sources = [suite.long, wmv, suite.good]
    seconds = [300, 6, 4]
    session.add_through_open_dialog(sources)
    session.wait_rows(3)

    output = suite.output("whole")
    started = time.monotonic()
    run(session, output, [("Congratulations!", re.escape("Successfully Extract Audio and Save to " + output))])
    length = time.monotonic() - started
    close_notes(session)

    generator = random.Random(1500)
    for attempt in range(3):
        moment = generator.uniform(0, length)
        output = suite.output("stop-%d" % attempt)
        threads = start_run(session, output)
        time.sleep(moment)
        completed = stop(session)
        session.expect_idle(threads, "after STOP at %.2f s" % moment)

        # The files before the stopped one are whole, the stopped one (if
        # the in-process engine had it) holds what was done, none follows.
        names = [os.path.splitext(os.path.basename(path))[0] + ".mp3" for path in sources]
        present = [name for name in names if os.path.exists(os.path.join(output, name))]
        expect(present == names[:len(present)], "STOP at %.2f s left %r" % (moment, present))
        print("  STOP at %.2f s of %.2f s: %s, left %r" % (moment, length, "the run had ended" if completed
                                                           else "stopped", present), flush=True)
        expect(not completed or present == names, "a completed run left %r" % present)
        for index, name in enumerate(present):
            path = os.path.join(output, name)
            if completed or index + 1 < len(present):
                faults.expect_sound(path, seconds[index])
            elif sources[index] != wmv:
                faults.expect_sound(path, None)


def progress_window(session):
    return next((window for window in desktop.children(session.program.app)
                 if desktop.find(window, "push button", "STOP")), None)


def stop(session):
    """STOP and Yes, unless the run has ended already; then every box the
    run shows is answered until the progress window has gone. True when the
    run ended before the STOP took."""
    progress = progress_window(session)
    if progress:
        desktop.press(desktop.find(progress, "push button", "STOP"))
    completed = False
    asked = False
    deadline = time.monotonic() + RUN_BOUND_SECONDS
    while True:
        # The run goes on while the question is open, and may end meanwhile.
        for caption, button in (("Congratulations!", "OK"), ("Question", "Yes"), ("Information", "OK")):
            for box in session.boxes(caption):
                completed = completed or caption == "Congratulations!"
                asked = asked or caption == "Question"
                try:
                    desktop.press(desktop.find(box, "push button", button))
                except Exception:
                    pass  # it closed while being looked at
        if not progress_window(session) and not any(session.boxes(caption) for caption in
                                                    ("Congratulations!", "Question", "Information")):
            break
        expect(time.monotonic() < deadline, "the run ends within %d s of STOP" % RUN_BOUND_SECONDS)
        time.sleep(0.1)
    expect(asked or completed, "STOP asks before it stops")
    return completed


def main():
    suite = Suite()
    bad_arguments = [faults.write_bytes(suite.path("empty.avi"), b""),
                     faults.write_bytes(suite.path("text.avi"), b"Minutes of the meeting, not a video.\n" * 20),
                     suite.path("pipe.avi")]
    os.mkfifo(bad_arguments[-1])
    names = [shutil.copy(suite.good, suite.path(name)) for name in ("it's \"quoted\".mp4", "new\nline.mp4")]
    names.append(shutil.copy(suite.good, faults.long_path(suite.root, 4000, "far away.mp4")))

    try:
        suite.session("bad sources and names",
                      lambda session: test_bad_sources_and_names(suite, session, bad_arguments, names),
                      arguments=bad_arguments + names)
        suite.read_only = faults.mount_read_only(os.path.join(suite.root, "read-only"))
        suite.disk = faults.mount_tmpfs(os.path.join(suite.root, "disk"), "1m")
        for test in (test_source_deleted, test_unwritable_output, test_full_disk, test_converter_killed):
            suite.session(test.__name__[len("test_"):].replace("_", " "), lambda session: test(suite, session))
        suite.session("program folder faults", lambda session: test_program_folder_faults(suite, session),
                      option_file=faults.garbage_option_file(os.path.join(suite.root, "option.ini")),
                      archive=faults.damaged_converter_archive(os.path.join(options.program_folder, "zivirad.dat"),
                                                               os.path.join(suite.root, "damaged.dat")))
        suite.session("stop", lambda session: test_stop(suite, session), leave_out=("libwmvdecod.so",))
    finally:
        faults.unmount_all()
        shutil.rmtree(suite.root, ignore_errors=True)
    if suite.failures:
        raise faults.FaultTestError("failed: " + ", ".join(suite.failures))


desktop.run(main)
