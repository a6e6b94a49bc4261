"""The batch front end (tolvar-extract) under bad input and faults, run as a
user's script runs it: every case ends within a bound, without a crash or a
sanitizer report, leaves no converter running, names each failure in its
file's result line, and every output it reports as done decodes."""

import os
import re
import shutil
import signal
import subprocess
import sys
import time

import batch
import faults
from batch import RUN_BOUND_SECONDS
from faults import expect


class Suite(faults.Media):
    def __init__(self, program_folder):
        super().__init__("tolvar-batch-faults-")
        self.program_folder = program_folder
        self.failures = []

    def program_copy(self, archive=None, option_file=None):
        return batch.program_copy(self.program_folder, self.root, archive, option_file)

    def batch(self, arguments, program_folder=None, folder=None):
        return batch.Batch(self.root, program_folder or self.program_copy(), arguments, folder)

    def case(self, name, test):
        started = time.monotonic()
        try:
            test()
            print("ok %s (%.1f s)" % (name, time.monotonic() - started))
        except (AssertionError, OSError, subprocess.SubprocessError) as error:
            print("FAILED %s: %s" % (name, error))
            self.failures.append(name)


def expect_lines(lines, expected):
    """Each expected line is (word, source, detail pattern)."""
    expect(len(lines) == len(expected), "%d result lines: %r" % (len(expected), lines))
    for line, (word, source, pattern) in zip(lines, expected):
        expect(line[:2] == (word, source) and re.fullmatch(pattern, line[2], re.S),
               "%r matches %r" % (line, (word, source, pattern)))


ENGINES = (("in-process", []), ("converter", ["-E"]))


def test_bad_sources(suite):
    """Files that are no video are refused by name when they are added; a
    damaged sound track still gives what decodes of it."""
    good = suite.good
    sources = [
        faults.write_bytes(suite.path("empty.avi"), b""),
        faults.write_bytes(suite.path("text.avi"), b"These are the notes of a meeting, not a video.\n" * 20),
        faults.write_bytes(suite.path("random.avi"), faults.random_bytes(200000, 15)),
        faults.truncated_mp4(good, suite.path("truncated.mp4")),
        suite.path("pipe.avi"),
    ]
    os.mkfifo(sources[-1])
    damaged = faults.damaged_audio_mp4(good, suite.path("damaged sound.mp4"))
    for engine, flags in ENGINES:
        output = os.path.join(suite.root, "bad-" + engine)
        status, lines, _ = suite.batch(["-f", "mp3", "-o", output, *flags, *sources, damaged]).run()
        expect(status == 1, "%s: exit status 1, not %d" % (engine, status))
        expect_lines(lines, [("failed", source, re.escape("Fail to open the file " + source)) for source in sources]
                     + [("ok", damaged, re.escape(output + "/damaged sound.mp3"))])
        faults.expect_sound(lines[-1][2], None)


def test_names(suite):
    """Blanks, quotes, letters beyond ASCII, a newline, a tab, a backslash and
    names that read like an FFmpeg protocol, given as the user gives them
    (the last ones relative to the current folder)."""
    names = ["two  blanks .mp4", "it's \"quoted\".mp4", "Çağrı ünïcödé 日本語.mp4", "new\nline.mp4", "tab\there.mp4",
             "back\\slash\\\".mp4", "pipe:0.mp4", "concat:nothing here.mp4"]
    for name in names:
        shutil.copy(suite.good, suite.path(name))
    for engine, flags in ENGINES:
        output = os.path.join(suite.root, "names-" + engine)
        status, lines, errors = suite.batch(["-f", "wav", "-o", output, *flags, *names], folder=suite.media).run()
        expect(status == 0, "%s: exit status 0, not %d:\n%s" % (engine, status, errors))
        expect_lines(lines, [("ok", name, re.escape(output + "/" + name[:-4] + ".wav")) for name in names])
        for line in lines:
            faults.expect_sound(line[2], 4)


def test_long_paths(suite):
    """A source at the end of a 4000-character path is converted; an output
    folder longer than the system takes is refused in words at the start."""
    source = faults.long_path(suite.root, 4000, "long way.mp4")
    shutil.copy(suite.good, source)
    too_long = faults.long_path(os.path.join(suite.root, "far"), 4090, "o" * 20)
    for engine, flags in ENGINES:
        output = os.path.join(suite.root, "long-" + engine)
        status, lines, _ = suite.batch(["-f", "mp3", "-o", output, *flags, source]).run()
        expect(status == 0, "%s: exit status 0, not %d" % (engine, status))
        expect_lines(lines, [("ok", source, re.escape(output + "/long way.mp3"))])
        faults.expect_sound(lines[0][2], 4)

        status, lines, _ = suite.batch(["-f", "mp3", "-o", too_long, *flags, source]).run()
        expect(status == 1, "%s: exit status 1, not %d" % (engine, status))
        expect_lines(lines, [("failed", source, re.escape("Cannot write to the output folder " + too_long + ": ")
                              + "File name too long")])


def test_source_deleted_before_its_turn(suite):
    """One file at a time, so that the second waits for its turn."""
    for engine, flags in ENGINES:
        first = shutil.copy(suite.long, suite.path("first %s.m4a" % engine))
        gone = shutil.copy(suite.good, suite.path("gone %s.mp4" % engine))
        output = os.path.join(suite.root, "gone-" + engine)
        batch = suite.batch(["-j", "1", "-f", "mp3", "-o", output, *flags, first, gone]).start()
        # The first file's progress shows that both were added and the run
        # is on the first.
        seen = b""
        while b"[1/2] " not in seen:
            chunk = batch.process.stderr.read1(4096)
            expect(chunk, "%s: the run shows its progress" % engine)
            seen += chunk
        os.unlink(gone)
        status, lines, _ = batch.finish()
        expect(status == 1, "%s: exit status 1, not %d" % (engine, status))
        expect_lines(lines, [("ok", first, re.escape(output + "/first %s.mp3" % engine)),
                             ("failed", gone, re.escape("Cannot open %s: No such file or directory" % gone))])
        faults.expect_sound(lines[0][2], 300)


def test_unwritable_output(suite):
    """An output folder on a read-only mount: one that cannot be created
    there, and one that exists but cannot be written. Every file fails
    with the one reason, told before any is converted."""
    read_only = os.path.join(suite.root, "read-only")
    os.makedirs(os.path.join(read_only, "existing"))
    faults.mount_read_only(read_only)
    for engine, flags in ENGINES:
        for folder, reason in (("new", "Cannot write to the output folder {folder}: No such file or directory"),
                               ("existing", "Cannot write to the output folder {folder}: Read-only file system")):
            output = os.path.join(read_only, folder)
            status, lines, _ = suite.batch(["-f", "mp3", "-o", output, *flags, suite.good, suite.good]).run()
            expect(status == 1, "%s, %s: exit status 1, not %d" % (engine, folder, status))
            failed = ("failed", suite.good, re.escape(reason.format(folder=output)))
            expect_lines(lines, [failed, failed])


def test_full_disk(suite):
    """A small output disk: the file that fits is whole, the one that fills
    the disk keeps what was written, and no empty file is left behind. One
    file at a time, so that the disk fills in a known order."""
    for engine, flags in ENGINES:
        disk = faults.mount_tmpfs(os.path.join(suite.root, "disk-" + engine), "1m")
        status, lines, _ = suite.batch(["-j", "1", "-f", "wav", "-o", disk, *flags, suite.good, suite.long,
                                        suite.good]).run()
        expect(status == 1, "%s: exit status 1, not %d" % (engine, status))
        no_space = re.escape("Cannot write the output file: No space left on device")
        expect_lines(lines, [("ok", suite.good, re.escape(disk + "/good.wav")),
                             ("failed", suite.long, no_space), ("failed", suite.good, no_space)])
        faults.expect_sound(lines[0][2], 4)
        faults.expect_sound(os.path.join(disk, "long.wav"), None)
        empty = [name for name in os.listdir(disk) if os.path.getsize(os.path.join(disk, name)) == 0]
        expect(not empty, "%s: no empty file is left: %r" % (engine, empty))


def test_converter_killed(suite):
    """One file at a time, so that the converter killed is the first file's."""
    output = os.path.join(suite.root, "killed")
    batch = suite.batch(["-j", "1", "-f", "mp3", "-E", "-o", output, suite.long, suite.good]).start()
    converter = faults.wait_until("the converter", batch.converters, RUN_BOUND_SECONDS)[0]
    os.kill(converter, signal.SIGKILL)
    status, lines, _ = batch.finish()
    expect(status == 1, "exit status 1, not %d" % status)
    expect_lines(lines, [("failed", suite.long, re.escape("The converter was ended by signal 9 (Killed).")),
                         ("ok", suite.good, re.escape(output + "/good.mp3"))])
    faults.expect_sound(lines[1][2], 4)


def test_broken_converter_archive(suite):
    """The converter cannot be unpacked: its tasks fail by name, and the
    in-process engine does not depend on it."""
    good_archive = os.path.join(suite.program_folder, "zivirad.dat")
    archives = {
        "without tae": faults.converter_archive_without_tae(os.path.join(suite.root, "without-tae.dat")),
        "damaged": faults.damaged_converter_archive(good_archive, os.path.join(suite.root, "damaged.dat")),
        "random bytes": faults.write_bytes(os.path.join(suite.root, "random.dat"), faults.random_bytes(60000, 1)),
    }
    for what, archive in archives.items():
        program = suite.program_copy(archive=archive)
        output = os.path.join(suite.root, "archive-" + what)
        status, lines, _ = suite.batch(["-f", "mp3", "-E", "-o", output, suite.good], program).run()
        expect(status == 1, "%s: exit status 1, not %d" % (what, status))
        expect_lines(lines, [("failed", suite.good, re.escape("The converter could not be started."))])
        status, lines, _ = suite.batch(["-f", "mp3", "-o", output, suite.good], program).run()
        expect(status == 0, "%s, in-process: exit status 0, not %d" % (what, status))
        faults.expect_sound(lines[0][2], 4)


def test_garbage_option_file(suite):
    """A garbage option.ini reads as the defaults, and stays as it was."""
    option_file = faults.garbage_option_file(os.path.join(suite.root, "option.ini"))
    program = suite.program_copy(option_file=option_file)
    batch = suite.batch([suite.good], program)
    status, lines, _ = batch.run()
    expect(status == 0, "exit status 0, not %d" % status)
    expect_lines(lines, [("ok", suite.good, re.escape(batch.home + "/MyAudio//good.mp3"))])
    faults.expect_sound(lines[0][2], 4)
    with open(option_file, "rb") as original, open(os.path.join(program, "option.ini"), "rb") as kept:
        expect(original.read() == kept.read(), "option.ini is left as it was")


def main():
    faults.private_mounts()
    suite = Suite(batch.options().program_folder)
    try:
        for test in (test_bad_sources, test_names, test_long_paths, test_source_deleted_before_its_turn,
                     test_unwritable_output, test_full_disk, test_converter_killed, test_broken_converter_archive,
                     test_garbage_option_file):
            suite.case(test.__name__[len("test_"):], lambda: test(suite))
    finally:
        faults.unmount_all()
        shutil.rmtree(suite.root, ignore_errors=True)
    if suite.failures:
        print("FAILED:", ", ".join(suite.failures), file=sys.stderr)
        sys.exit(1)
    print("passed")


main()
