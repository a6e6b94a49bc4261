"""The installed program on a real X server: `cmake --install` into a
temporary prefix, then the GUI started through its link in bin/ with its
program folder mounted read-only, as for a copy the system installed. It
must take its settings from the user's configuration folder, add the file
it was opened with (a file manager's "Open with"), and write nothing into
its own folder."""

import argparse
import os
import subprocess
import tempfile

import pyatspi

import desktop

parser = argparse.ArgumentParser()
parser.add_argument("--program-folder", required=True)
parser.add_argument("--artefacts", required=True)
parser.add_argument("--cmake", required=True)
parser.add_argument("--build-dir", required=True)
options = parser.parse_args()

# The bind mount lives in a mount namespace of the program's own, so it is
# gone with the program, whatever happens to the test.
READ_ONLY_FOLDER = 'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" && exec "$@"'


class InstalledProgram(desktop.Program):
    """The program installed into a prefix of its own (instead of a copy of
    the program folder), with a home and a configuration folder of its own."""

    def __init__(self):  # pylint: disable=super-init-not-called
        self.root = tempfile.mkdtemp(prefix="tolvar-e2e-installed-")
        self.prefix = os.path.join(self.root, "prefix")
        self.folder = os.path.join(self.prefix, "lib", "tolvar-audio-extractor")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        os.makedirs(self.home)
        self.process = None
        self.app = None
        subprocess.run([options.cmake, "--install", options.build_dir, "--prefix", self.prefix],
                       check=True, capture_output=True)

    def start(self, *arguments):
        environment = dict(os.environ)
        environment.update({"HOME": self.home, "XDG_CONFIG_HOME": self.config,
                            "XDG_CACHE_HOME": os.path.join(self.root, "cache"),
                            "QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                            "TMPDIR": os.path.join(self.root, "tmp")})
        os.makedirs(environment["TMPDIR"], exist_ok=True)
        executable = os.path.join(self.prefix, "bin", "tolvar-audio-extractor")
        self.process = subprocess.Popen(["unshare", "--mount", "--propagation", "private",
                                         "sh", "-c", READ_ONLY_FOLDER, self.folder, executable, *arguments],
                                        env=environment)
        self.app = desktop.wait_for("the program on the accessibility bus", self._find_app)
        return self.app


def checked(accessible):
    return accessible.getState().contains(pyatspi.STATE_CHECKED)


def test():
    program = InstalledProgram()
    try:
        output_folder = os.path.join(program.root, "extracted") + "/"
        settings_folder = os.path.join(program.config, "tolvar-audio-extractor")
        os.makedirs(settings_folder)
        stored = "[TaskSetting]\nOutputFormat=2\nSampleRate=3\nOutputPath=%s\n" % output_folder
        with open(os.path.join(settings_folder, "option.ini"), "w") as option_file:
            option_file.write(stored)
        video = desktop.make_video(os.path.join(program.root, "opened clip.avi"), 2)

        program.start(video)
        window = program.window("Tolvar Audio Extractor")
        to_wav = desktop.wait_for("the To WAV button", lambda: desktop.find(window, "radio button", "To WAV"))
        desktop.expect(checked(to_wav), "To WAV is checked, as option.ini says")
        desktop.expect(not checked(desktop.find(window, "radio button", "To MP3")), "To MP3 is not checked")
        output_path = desktop.find(window, "text", "Output Path")
        desktop.expect(desktop.text_of(output_path) == output_folder,
                       "the output folder is option.ini's, not %r" % desktop.text_of(output_path))
        task_list = desktop.wait_for("the task list", lambda: desktop.find_task_list(window))
        desktop.wait_for("the opened file's row", lambda: any(
            desktop.name_of(cell) == "opened clip.avi" for cell in desktop.descendants(task_list)))

        desktop.expect(program.exit_through_menu(window, 10) == 0, "the program ends with status 0")

        desktop.expect(not os.path.exists(os.path.join(program.folder, "option.ini")),
                       "option.ini was written into the read-only program folder")
        with open(os.path.join(settings_folder, "option.ini")) as option_file:
            desktop.expect(option_file.read() == stored, "option.ini changed without a Start")
    finally:
        program.close()


desktop.run(test)
