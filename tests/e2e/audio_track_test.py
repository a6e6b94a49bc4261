"""The audio track choice as a screen reader reaches it in the real program:
the Operation menu's Audio Track submenu lists the selected file's tracks,
choosing one shows it in the row's Track cell, and Use This Language for
Every File carries that language to the other file that has it."""

import os
import tempfile

import desktop
import faults

options = desktop.options()


def make_tracks(path, languages):
    """A short video with one tone per audio track, in the given languages."""
    arguments = ["-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=2"]
    for number, _ in enumerate(languages):
        arguments += ["-f", "lavfi", "-i", "sine=frequency=%d:sample_rate=44100:duration=2" % (440 * (number + 1))]
    arguments += ["-map", "0:v"]
    for number, language in enumerate(languages):
        arguments += ["-map", "%d:a" % (number + 1), "-metadata:s:a:%d" % number, "language=" + language]
    faults.ffmpeg(*arguments, "-c:v", "mpeg4", "-c:a", "libvorbis", path)
    return path


def test():
    media = tempfile.mkdtemp(prefix="tolvar-e2e-tracks-")
    film = make_tracks(os.path.join(media, "film.mkv"), ["eng", "fre"])
    talk = make_tracks(os.path.join(media, "talk.mkv"), ["fra", "spa", "ger"])

    program = desktop.Program(options.program_folder)
    try:
        program.start(film, talk)
        window = program.window("Tolvar Audio Extractor")
        task_list = desktop.wait_for("the task list", lambda: desktop.find_task_list(window))

        def track_cells():
            cells = [desktop.name_of(cell) for cell in desktop.descendants(task_list)
                     if desktop.role_name(cell) in ("table cell", "tree item")]
            return [cell for cell in cells if cell[:1].isdigit() and "(" in cell]
        desktop.wait_for("each row's default track", lambda: track_cells() == ["2 (fre)", "3 (ger)"])

        # The last row added is selected: its three tracks are in the menu.
        first_of_talk = desktop.wait_for("the talk's first track in the Audio Track menu", lambda: desktop.find(
            window, "menu item", "1: French, Vorbis, mono, 44100 Hz"))
        desktop.expect(desktop.find(window, "menu item", "3: German, Vorbis, mono, 44100 Hz") is not None,
                       "the talk's third track is not in the menu")
        desktop.press(first_of_talk)
        desktop.wait_for("the talk's row on its first track", lambda: track_cells() == ["2 (fre)", "1 (fra)"])

        # French is the film's second track, already in use; choosing English
        # there first shows that the language is carried over.
        film_cell = next(cell for cell in desktop.descendants(task_list) if desktop.name_of(cell) == "film.mkv")
        desktop.click(film_cell)
        desktop.press(desktop.wait_for("the film's English track", lambda: desktop.find(
            window, "menu item", "1: English, Vorbis, mono, 44100 Hz")))
        desktop.wait_for("the film's row on English", lambda: track_cells() == ["1 (eng)", "1 (fra)"])
        desktop.click(next(cell for cell in desktop.descendants(task_list) if desktop.name_of(cell) == "talk.mkv"))
        desktop.press(desktop.wait_for("Use This Language for Every File", lambda: desktop.find(
            window, "menu item", "Use This Language for Every File")))
        desktop.wait_for("French in both rows", lambda: track_cells() == ["2 (fre)", "1 (fra)"])

        status = program.exit_through_menu(window, 10)
        desktop.expect(status == 0, "exit status %d" % status)
    finally:
        program.close()


desktop.run(test)
