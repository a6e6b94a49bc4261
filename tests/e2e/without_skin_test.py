"""Without the skin library the program starts with the standard look, keeps
every control usable, and ends normally."""

import os
import time

import desktop

options = desktop.options()


def test():
    program = desktop.Program(options.program_folder, leave_out=("libavcore.so",))
    try:
        program.start()
        window = program.window("Tolvar Audio Extractor")
        desktop.wait_for("the Start button", lambda: desktop.find(window, "push button", "Start"))
        desktop.wait_for("the intro text", lambda: any(
            "Click Start to go!" in desktop.name_of(label) for label in desktop.descendants(window)
            if desktop.role_name(label) == "label"))
        time.sleep(0.3)
        os.makedirs(options.artefacts, exist_ok=True)
        desktop.screenshot(window, os.path.join(options.artefacts, "main-window-unskinned.png"))
        status = program.exit_through_menu(window, 10)
        desktop.expect(status == 0, "exit status %d" % status)
    finally:
        program.close()


desktop.run(test)
