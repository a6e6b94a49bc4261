"""Runs the batch front end (tolvar-extract) as a user's script runs it,
each run with a home, temporary and program folder of its own, and checks
what every run must leave: an end within a bound, an exit of its own (no
signal), no sanitizer report and no converter still running."""

import argparse
import os
import re
import shutil
import subprocess
import tempfile

import faults
from faults import expect

RUN_BOUND_SECONDS = 120


def options():
    """The options every batch test gets from its ctest entry."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program-folder", required=True)
    return parser.parse_args()


def unescaped(field):
    """A field of a result line as it was before the escapes."""
    return re.sub(r"\\(.)", lambda match: {"t": "\t", "n": "\n", "r": "\r"}.get(match.group(1), match.group(1)),
                  field)


class Batch:
    """One run of tolvar-extract from the given program folder."""

    def __init__(self, root, program_folder, arguments, folder=None):
        self.root = tempfile.mkdtemp(dir=root)
        self.temporary = os.path.join(self.root, "tmp")
        self.home = os.path.join(self.root, "home")
        for folder_name in (self.temporary, self.home):
            os.makedirs(folder_name)
        self.environment = dict(os.environ, HOME=self.home, TMPDIR=self.temporary,
                                XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                                XDG_CACHE_HOME=os.path.join(self.root, "cache"))
        self.command = [os.path.join(program_folder, "tolvar-extract"), *arguments]
        self.folder = folder
        self.process = None

    def start(self):
        self.process = subprocess.Popen(self.command, env=self.environment, cwd=self.folder, start_new_session=True,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return self

    def converters(self):
        return faults.processes_running(faults.converter_path(self.temporary))

    def finish(self):
        """Waits for the end within the bound; the exit status, the result
        lines as (word, source, detail) and standard error."""
        try:
            output, errors = self.process.communicate(timeout=RUN_BOUND_SECONDS)
        except subprocess.TimeoutExpired:
            faults.kill_group(self.process)
            self.process.communicate()
            raise faults.FaultTestError("%r did not end within %d s" % (self.command, RUN_BOUND_SECONDS))
        errors = errors.decode(errors="replace")
        expect(self.process.returncode >= 0, "%r ended by signal %d:\n%s"
               % (self.command, -self.process.returncode, errors))
        expect(not faults.sanitizer_reports(errors), "a sanitizer report:\n" + errors)
        expect(not self.converters(), "no converter is left running")
        lines = [tuple(unescaped(field) for field in line.split("\t"))
                 for line in output.decode(errors="replace").splitlines()]
        return self.process.returncode, lines, errors

    def run(self):
        return self.start().finish()


def program_copy(program_folder, root, archive=None, option_file=None):
    """A program folder of its own, with the given zivirad.dat and option.ini
    in place of the build's; without the WMV decoder library."""
    folder = tempfile.mkdtemp(dir=root)
    shutil.copy2(os.path.join(program_folder, "tolvar-extract"), folder)
    shutil.copy2(archive or os.path.join(program_folder, "zivirad.dat"), os.path.join(folder, "zivirad.dat"))
    if option_file:
        shutil.copy2(option_file, os.path.join(folder, "option.ini"))
    return folder
