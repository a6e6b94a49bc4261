"""A whole conversion run through the real program: two videos added through
its Open dialog, one converted in-process and one by the tae converter (a
WMV source, with the program folder's WMV decoder library left out, so the
in-process engine cannot open it), both outputs valid, and the closing
report read from its message box."""

import os
import subprocess
import tempfile

import desktop
import faults

options = desktop.options()


def audio_of(path):
    """Codec, sample rate and channels of the file's first audio stream."""
    result = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                             "stream=codec_name,sample_rate,channels", "-of", "csv=p=0", path],
                            capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def test():
    media = tempfile.mkdtemp(prefix="tolvar-e2e-media-")
    in_process = desktop.make_video(os.path.join(media, "holiday clip.avi"), 4)
    wmv = faults.make_wmv(os.path.join(media, "old camera.wmv"), 3, size="320x240")
    output_folder = os.path.join(media, "extracted")

    program = desktop.Program(options.program_folder, leave_out=("libwmvdecod.so",))
    try:
        program.start()
        window = program.window("Tolvar Audio Extractor")

        task_list = desktop.wait_for("the task list", lambda: desktop.find_task_list(window))
        desktop.add_files_through_open_dialog(program, window, [in_process, wmv])
        desktop.wait_for("both rows", lambda: sum(
            1 for cell in desktop.descendants(task_list)
            if desktop.name_of(cell) in ("holiday clip.avi", "old camera.wmv")) == 2)

        desktop.type_text(desktop.find(window, "text", "Output Path"), output_folder)
        desktop.press(desktop.find(window, "push button", "Start"))

        report = program.window("Congratulations!", 120)
        texts = [desktop.name_of(node) for node in desktop.descendants(report) if desktop.role_name(node) == "label"]
        desktop.expect(any(text == "Successfully Converting Files and Save to " + output_folder for text in texts),
               "the closing report names the output folder: %r" % texts)
        desktop.screenshot(report, os.path.join(options.artefacts, "conversion-report.png"))
        desktop.press(desktop.find(report, "push button", "OK"))

        for name in ("holiday clip.mp3", "old camera.mp3"):
            facts = audio_of(os.path.join(output_folder, name))
            desktop.expect(facts == "mp3,48000,2", "%s holds %r" % (name, facts))

        desktop.expect(program.exit_through_menu(window, 10) == 0, "the program ends with status 0")
    finally:
        program.close()


desktop.run(test)
