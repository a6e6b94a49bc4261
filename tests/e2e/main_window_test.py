"""The real program on a real X server: its main window shows, files are
added through its own Open dialog driven over the accessibility bus, and
the process ends soon after its window is closed."""

import os
import tempfile
import time

import pyatspi

import desktop

options = desktop.options()


def test():
    media = tempfile.mkdtemp(prefix="tolvar-e2e-media-")
    first = desktop.make_video(os.path.join(media, "first clip.avi"), 3)
    second = desktop.make_video(os.path.join(media, "second.mp4"), 2)

    program = desktop.Program(options.program_folder)
    try:
        program.start()
        window = program.window("Tolvar Audio Extractor")
        task_list = desktop.wait_for("the task list", lambda: desktop.find_task_list(window))
        # The intro comes once, a second after the window opens; a still
        # clicked before it would be replaced by it.
        desktop.wait_for("the intro text", lambda: any(
            "Click Start to go!" in desktop.name_of(label) for label in desktop.descendants(window)
            if desktop.role_name(label) == "label"))
        desktop.add_files_through_open_dialog(program, window, [first, second])

        def rows():
            cells = [desktop.name_of(cell) for cell in desktop.descendants(task_list)
                     if desktop.role_name(cell) in ("table cell", "tree item")]
            return cells if "first clip.avi" in cells and "second.mp4" in cells else None
        cells = desktop.wait_for("both rows in the task list", rows)
        desktop.expect(cells.index("first clip.avi") < cells.index("second.mp4"), "the rows keep the dialog's order")

        # A click on a row shows a still of its video and its facts.
        first_cell = next(cell for cell in desktop.descendants(task_list)
                          if desktop.name_of(cell) == "first clip.avi")
        desktop.click(first_cell)
        facts = desktop.wait_for("the summary of the clicked video", lambda: next(
            (desktop.name_of(label) for label in desktop.descendants(window)
             if desktop.role_name(label) == "label" and "W*H : 320*240" in desktop.name_of(label)), None))
        desktop.expect(facts.startswith("Duration :00:00:03.0"), "the summary starts with the duration: %r" % facts)

        # The Format menu's FLAC relabels both rows and disables the bit
        # rate list, which FLAC does not read.
        desktop.press(desktop.wait_for("the To FLAC menu item",
                                       lambda: desktop.find(window, "menu item", "To FLAC")))
        desktop.wait_for("both rows labelled FLAC", lambda: [
            desktop.name_of(cell) for cell in desktop.descendants(task_list)
            if desktop.role_name(cell) in ("table cell", "tree item")].count("FLAC") == 2)
        # A closed list is named by its entry on the bus: the bit rate's is
        # the default "128", as the program starts without option.ini.
        bit_rate = desktop.find(window, "combo box", "128")
        desktop.expect(not bit_rate.getState().contains(pyatspi.STATE_ENABLED), "the bit rate list is still enabled")
        desktop.expect(not desktop.find(window, "radio button", "To MP3").getState().contains(pyatspi.STATE_CHECKED),
                       "the To MP3 button is still checked")

        time.sleep(0.5)
        os.makedirs(options.artefacts, exist_ok=True)
        desktop.screenshot(window, os.path.join(options.artefacts, "main-window-skinned.png"))

        exit_item = desktop.wait_for("the Exit menu item", lambda: desktop.find(window, "menu item", "Exit"))
        closed_at = time.monotonic()
        try:
            desktop.press(exit_item)
        except Exception:
            pass  # the program may end before it answers
        status = program.wait_end(10)
        desktop.expect(status == 0, "exit status %d" % status)
        desktop.expect(time.monotonic() - closed_at < 5, "the program took too long to end")
    finally:
        program.close()


desktop.run(test)
