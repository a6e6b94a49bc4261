"""Ctrl+C, the batch front end's STOP, at 27 moments of a run drawn with a
fixed seed, in runs through either engine and through both, one file at a
time and two at once. Every stop ends within a bound, without a crash, a
sanitizer report or a converter left running; the files done before it are
whole, the ones it interrupted (at most as many as go at once) hold what
was done (the in-process engine closes them properly), the ones after them
were not started, and the result lines say which is which. A stop that
comes after the run has ended changes nothing."""

import os
import random
import shutil
import signal
import sys
import tempfile
import time

import batch
import faults
from faults import expect

STOPS = 27
SEED = 1500
SIGINT_MASK = 1 << (signal.SIGINT - 1)


def blocks_interrupt(pid):
    """True once the program has taken Ctrl+C into its own hands: before
    that, an interrupt ends any program, ours included."""
    try:
        with open("/proc/%d/status" % pid) as file:
            for line in file:
                if line.startswith("SigBlk:"):
                    return int(line.split()[1], 16) & SIGINT_MASK != 0
    except OSError:
        return True  # it has ended already
    return False


class Runs:
    def __init__(self, program_folder):
        self.root = tempfile.mkdtemp(prefix="tolvar-batch-stop-")
        self.media = os.path.join(self.root, "media")
        os.makedirs(self.media)
        # Without the WMV decoder library, a WMV source goes to the converter.
        self.program = batch.program_copy(program_folder, self.root)
        # Long enough that most moments fall into a conversion, not into the
        # half second before the first one.
        first = faults.make_sound(os.path.join(self.media, "first.m4a"), 90)
        camera = faults.make_wmv(os.path.join(self.media, "camera.wmv"), 8)
        last = faults.make_sound(os.path.join(self.media, "last.m4a"), 40)
        self.seconds = {first: 90, camera: 8, last: 40}
        # (name, options, sources, files at once)
        self.kinds = [("%s -j %d" % (name, jobs), options + ["-j", str(jobs)], sources, jobs)
                      for jobs in (1, 2)
                      for name, options, sources in [("in-process", [], [first, last]),
                                                     ("converter", ["-E"], [first, last]),
                                                     ("both", [], [first, camera, last])]]
        self.count = 0

    def start(self, options, sources):
        self.count += 1
        output = os.path.join(self.root, "out-%d" % self.count)
        run = batch.Batch(self.root, self.program, ["-f", "mp3", "-o", output, *options, *sources]).start()
        faults.wait_until("the program to block Ctrl+C", lambda: blocks_interrupt(run.process.pid), 30)
        return run, output, time.monotonic()

    def whole_run(self, kind):
        """An unstopped run: every file converted, and how long it took."""
        name, options, sources, _ = kind
        run, output, started = self.start(options, sources)
        status, lines, errors = run.finish()
        length = time.monotonic() - started
        expect(status == 0, "%s: the whole run ends with status 0, not %d:\n%s" % (name, status, errors))
        expect([line[0] for line in lines] == ["ok"] * len(sources), "%s: every file converted: %r" % (name, lines))
        return length

    def stopped_run(self, kind, moment):
        name, options, sources, jobs = kind
        run, output, started = self.start(options, sources)
        time.sleep(max(0.0, started + moment - time.monotonic()))
        try:
            os.kill(run.process.pid, signal.SIGINT)
        except ProcessLookupError:
            pass  # the run was over
        status, lines, errors = run.finish()
        what = "%s run, Ctrl+C at %.2f s" % (name, moment)
        expect(status in (0, 130), "%s: exit status 0 or 130, not %d:\n%s" % (what, status, errors))
        expect([line[1] for line in lines] == sources, "%s: one line per file, in order: %r" % (what, lines))

        # The files begin in order: those begun, each ok or stopped, at most
        # as many stopped as go at once, then those not started.
        kinds = []
        for word, _, detail in lines:
            if word == "ok":
                kinds.append("ok")
            elif detail.startswith("Stopped"):
                kinds.append("stopped")
            else:
                expect(detail == "Not started: the run was stopped.", "%s: %r" % (what, detail))
                kinds.append("not started")
        begun = [kind != "not started" for kind in kinds]
        expect(begun == sorted(begun, reverse=True) and kinds.count("stopped") <= jobs, "%s: %r" % (what, lines))
        # One at a time, the file stopped is the last one begun.
        if jobs == 1:
            expect(kinds == sorted(kinds, key=["ok", "stopped", "not started"].index), "%s: %r" % (what, lines))
        expect((status == 0) == (kinds == ["ok"] * len(sources)), "%s: status %d with %r" % (what, status, lines))

        for (_, source, detail), kind in zip(lines, kinds):
            path = os.path.join(output, os.path.splitext(os.path.basename(source))[0] + ".mp3")
            if kind == "ok":
                expect(detail == path, "%s: %s went to %s" % (what, source, detail))
                faults.expect_sound(path, self.seconds[source])
            elif kind == "stopped":
                # Both engines close their file; the converter is killed only
                # when it has not quit two seconds after it was told to, so
                # only the in-process engine's file is sure to be whole.
                in_process = "-E" not in options and not source.endswith(".wmv")
                if in_process and os.path.exists(path):
                    faults.expect_sound(path, None)
            else:
                expect(not os.path.exists(path), "%s: %s was never started, yet %s exists" % (what, source, path))
        return kinds


def main():
    runs = Runs(batch.options().program_folder)
    failures = []
    try:
        lengths = [runs.whole_run(kind) for kind in runs.kinds]
        print("whole runs: " + ", ".join("%s %.2f s" % (kind[0], length)
                                         for kind, length in zip(runs.kinds, lengths)), flush=True)
        generator = random.Random(SEED)
        for stop in range(STOPS):
            kind = runs.kinds[stop % len(runs.kinds)]
            moment = generator.uniform(0, lengths[stop % len(runs.kinds)])
            try:
                kinds = runs.stopped_run(kind, moment)
                print("ok %s run, Ctrl+C at %.2f s: %s" % (kind[0], moment, ", ".join(kinds)), flush=True)
            except AssertionError as error:
                print("FAILED %s" % error, flush=True)
                failures.append(stop)
    finally:
        shutil.rmtree(runs.root, ignore_errors=True)
    if failures:
        print("FAILED: %d of %d stops" % (len(failures), STOPS), file=sys.stderr)
        sys.exit(1)
    print("passed")


main()
