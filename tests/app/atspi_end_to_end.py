#!/usr/bin/python3
"""The real program through the desktop accessibility bus, as a screen reader meets it.

Starts orasent on the X display, finds "Talk" and "Voice" by their accessible names, presses
Talk with a real mouse click (xdotool) and reads the sentence box back through the bus; then
clicks a word in it and finds "Word Help" with its named fields and buttons.
Exit 77 (skipped) when there is no display or no accessibility bus.

    atspi_end_to_end.py PATH_TO_ORASENT
"""
import functools
import os
import shutil
import subprocess
import sys
import tempfile

import e2e_support as e2e
from e2e_support import find

POOL = b"Every word is heard. The second sentence follows. "
FIRST_SENTENCE = "Every word is heard."
# Each step within 20 seconds: the whole test has two minutes.
wait_for = functools.partial(e2e.wait_for, seconds=20.0)


def display_answers():
    """The X display can be reached: its socket is there."""
    number = os.environ["DISPLAY"].lstrip(":").split(".")[0]
    return os.path.exists("/tmp/.X11-unix/X" + number)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    reason = e2e.use_accessibility_bus() or e2e.missing_tool("xdotool")
    if reason:
        return e2e.skip(reason)
    pyatspi = e2e.import_pyatspi()
    if pyatspi is None:
        return e2e.skip("python3-pyatspi is not installed")

    folder = e2e.text_files(tempfile.mkdtemp(prefix="orasent-atspi."), POOL)
    env = e2e.program_env(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    assert display_answers(), "the X display " + os.environ["DISPLAY"] + " has no socket"
    program = subprocess.Popen([sys.argv[1]], cwd=folder, env=env)
    try:
        def started():
            if program.poll() is not None:
                raise AssertionError("the program ended at start with status %d" % program.returncode)
            return e2e.application(pyatspi, program.pid)
        app = wait_for("the program on the accessibility bus", started)
        talk = wait_for('"Talk"', lambda: find(app, "Talk", pyatspi.ROLE_PUSH_BUTTON))
        sentence = wait_for('"Sentence"', lambda: find(app, "Sentence", pyatspi.ROLE_TEXT))
        for code_name in ("Command3", "Text1"):
            assert find(app, code_name, pyatspi.ROLE_PUSH_BUTTON) is None, code_name
            assert find(app, code_name, pyatspi.ROLE_TEXT) is None, code_name

        # The speech window, opened from the menu as a screen reader user would.
        menu_item = wait_for('"TTS Setup"', lambda: find(app, "TTS Setup", pyatspi.ROLE_MENU_ITEM))
        e2e.press(pyatspi, menu_item)
        voice = wait_for('"Voice"', lambda: find(app, "Voice", pyatspi.ROLE_COMBO_BOX))
        print("Found by name:", talk.name, "and", voice.name)

        # Talk pressed by a real mouse click; the first sentence is shown and read back.
        wait_for("Talk on screen", lambda: talk.getState().contains(pyatspi.STATE_SHOWING))
        e2e.click(pyatspi, talk)
        text = sentence.queryText()
        shown = wait_for("the first sentence in the sentence box",
                         lambda: FIRST_SENTENCE in text.getText(0, -1) and text.getText(0, -1))
        print("Sentence box reads:", shown.strip())

        # A real click on "heard" opens Word Help, named, with its syllables and meaning.
        at = shown.index("heard") + 2
        x, y, width, height = text.getCharacterExtents(at, pyatspi.DESKTOP_COORDS)
        e2e.click_at(x + width // 2, y + height // 2)
        wait_for('"Word Help"', lambda: find(app, "Word Help", pyatspi.ROLE_DIALOG))
        syllables = wait_for('"Syllables"', lambda: find(app, "Syllables", pyatspi.ROLE_TEXT))
        assert syllables.queryText().getText(0, -1) == "heard", syllables.queryText().getText(0, -1)
        for caption in ("Say It", "Say It Slowly", "Spell It", "Say Meaning", "Close"):
            wait_for('"%s"' % caption, lambda: find(app, caption, pyatspi.ROLE_PUSH_BUTTON))
        meaning = wait_for('"Meaning"', lambda: find(app, "Meaning", pyatspi.ROLE_TEXT)).queryText()
        said = wait_for("the meaning", lambda: meaning.getText(0, -1).startswith("1. ")
                        and meaning.getText(0, -1))
        print("Word Help means:", said.splitlines()[0])
        return 0
    finally:
        e2e.stop_processes([program])
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
