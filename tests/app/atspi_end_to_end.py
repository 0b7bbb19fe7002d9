#!/usr/bin/python3
"""The real program through the desktop accessibility bus, as a screen reader meets it.

Starts orasent on the X display, finds "Talk" and "Voice" by their accessible names, presses
Talk with a real mouse click (xdotool) and reads the sentence box back through the bus; then
clicks a word in it and finds "Word Help" with its named fields and buttons.
Exit 77 (skipped) when there is no display or no accessibility bus.

    atspi_end_to_end.py PATH_TO_ORASENT
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
POOL = b"Every word is heard. The second sentence follows. "
FIRST_SENTENCE = "Every word is heard."


def wait_for(what, probe, seconds=20.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def descendants(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
        except Exception:  # a child that went away while walking
            continue
        yield from descendants(child, depth + 1)


def find(app, name, role):
    for node in descendants(app):
        try:
            if node.name == name and node.getRole() == role:
                return node
        except Exception:
            continue
    return None


def display_answers():
    """The X display can be reached: its socket is there."""
    number = os.environ["DISPLAY"].lstrip(":").split(".")[0]
    return os.path.exists("/tmp/.X11-unix/X" + number)


def application(pyatspi, pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        except Exception:
            continue
    return None


def press(pyatspi, node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def click(node, pyatspi):
    x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                    "click", "1"], check=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not os.environ.get("ORASENT_A11Y_DISPLAY") or not os.environ.get("ORASENT_A11Y_SESSION_BUS"):
        print("SKIP: no X display or session bus (run through scripts/with-accessibility-bus.sh)")
        return SKIP
    # The private display and bus, for this process (pyatspi reads them on import) and its
    # children.
    os.environ["DISPLAY"] = os.environ["ORASENT_A11Y_DISPLAY"]
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = os.environ["ORASENT_A11Y_SESSION_BUS"]
    if shutil.which("xdotool") is None:
        print("SKIP: xdotool is not installed")
        return SKIP
    try:
        import pyatspi
    except ImportError:
        print("SKIP: python3-pyatspi is not installed")
        return SKIP

    folder = tempfile.mkdtemp(prefix="orasent-atspi.")
    with open(os.path.join(folder, "Tech Pool.txt"), "wb") as pool:
        pool.write(POOL)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    assert display_answers(), "the X display " + os.environ["DISPLAY"] + " has no socket"
    program = subprocess.Popen([sys.argv[1]], cwd=folder, env=env)
    try:
        def started():
            if program.poll() is not None:
                raise AssertionError("the program ended at start with status %d" % program.returncode)
            return application(pyatspi, program.pid)
        app = wait_for("the program on the accessibility bus", started)
        talk = wait_for('"Talk"', lambda: find(app, "Talk", pyatspi.ROLE_PUSH_BUTTON))
        sentence = wait_for('"Sentence"', lambda: find(app, "Sentence", pyatspi.ROLE_TEXT))
        for code_name in ("Command3", "Text1"):
            assert find(app, code_name, pyatspi.ROLE_PUSH_BUTTON) is None, code_name
            assert find(app, code_name, pyatspi.ROLE_TEXT) is None, code_name

        # The speech window, opened from the menu as a screen reader user would.
        press(pyatspi, wait_for('"TTS Setup"', lambda: find(app, "TTS Setup", pyatspi.ROLE_MENU_ITEM)))
        voice = wait_for('"Voice"', lambda: find(app, "Voice", pyatspi.ROLE_COMBO_BOX))
        print("Found by name:", talk.name, "and", voice.name)

        # Talk pressed by a real mouse click; the first sentence is shown and read back.
        wait_for("Talk on screen", lambda: talk.getState().contains(pyatspi.STATE_SHOWING))
        click(talk, pyatspi)
        text = sentence.queryText()
        shown = wait_for("the first sentence in the sentence box",
                         lambda: FIRST_SENTENCE in text.getText(0, -1) and text.getText(0, -1))
        print("Sentence box reads:", shown.strip())

        # A real click on "heard" opens Word Help, named, with its syllables and meaning.
        at = shown.index("heard") + 2
        x, y, width, height = text.getCharacterExtents(at, pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], check=True)
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
        program.kill()
        program.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
