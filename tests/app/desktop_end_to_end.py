#!/usr/bin/python3
"""The real program on a private session bus and a virtual X display, as the desktop meets it.

    desktop_end_to_end.py PATH_TO_ORASENT [CASE...]

Cases: bus (a second start hands its file over), lock (no session bus: the lock file),
player (playerctl drives the media player; SIGTERM while reading), selection (--read-selection
in the background, heard on the PulseAudio null sink; a flood of requests), portal (the shortcuts
registered with a stand-in GlobalShortcuts portal, and pressed).
Exit 77 (skipped) when Xvfb, dbus-daemon, xdotool, xclip or playerctl is missing.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import e2e_support as e2e
from e2e_support import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
TEXT = b"The first sentence is here. The second one follows it. A third one ends it. "


def output(command, env):
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
    return done.stdout.strip()


class Desktop:
    """A private X display and session bus, and a folder to work in."""

    def __init__(self, with_bus=True):
        self.processes = []
        self.folder = e2e.text_files(tempfile.mkdtemp(prefix="orasent-desktop."), TEXT,
                                     ("Tech Pool.txt", "first.txt", "second.txt", "book.txt"))
        self.env = e2e.program_env()
        self.env.pop("SESSION_MANAGER", None)
        display_file = os.path.join(self.folder, ".display")
        with open(display_file, "w") as out:
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                                          "-nolisten", "tcp"], stdout=out, stderr=subprocess.DEVNULL)
        self.processes.append(self.xvfb)
        number = wait_for("Xvfb", lambda: open(display_file).read().strip())
        self.env["DISPLAY"] = ":" + number
        if with_bus:
            self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True)
            self.processes.append(self.bus)
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.stdout.readline().strip()
        else:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + self.folder + "/no-bus"

    def start(self, *arguments):
        """The program in the background; what it says goes to a file (a pipe nobody reads
        would fill up and stop it)."""
        log = open(os.path.join(self.folder, ".log%d" % len(self.processes)), "w+")
        program = subprocess.Popen([PROGRAM] + list(arguments), cwd=self.folder, env=self.env,
                                   stderr=log, text=True)
        program.log = log
        self.processes.append(program)
        return program

    def run(self, *arguments):
        return subprocess.run([PROGRAM] + list(arguments), cwd=self.folder, env=self.env,
                              capture_output=True, text=True, timeout=60)

    def owned(self, name):
        reply = output(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                        "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        "string:" + name], self.env)
        return "boolean true" in reply

    def reader_windows(self):
        return len(e2e.windows_named("^Read Text$", self.env))

    def player(self, *command):
        return output(["playerctl", "--player=orasent"] + list(command), self.env)

    def send(self, destination, path, method, *arguments):
        return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=" + destination,
                               path, method] + list(arguments), env=self.env, capture_output=True,
                              text=True, timeout=60)

    def quit_player(self):
        self.send("org.mpris.MediaPlayer2.orasent", "/org/mpris/MediaPlayer2",
                  "org.mpris.MediaPlayer2.Quit")

    def state(self):
        with open(os.path.join(self.folder, "Orasent.txt"), "rb") as f:
            return f.read().decode("latin-1").split("\r\n")

    def select(self, text):
        """`text` as the primary selection, held by xclip until the end. An xclip that has not
        taken the selection after a few seconds (seen once on a busy machine) is started again."""
        for _ in range(3):
            selection = subprocess.Popen(["xclip", "-quiet", "-selection", "primary", "-i"],
                                         stdin=subprocess.PIPE, env=self.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.processes.append(selection)
            selection.stdin.write(text)
            selection.stdin.close()
            try:
                wait_for("the selection", lambda: output(
                    ["xclip", "-o", "-selection", "primary"], self.env) == text.decode().strip(), 5)
                return
            except e2e.Failure:
                selection.kill()
                selection.wait()
        raise e2e.Failure("xclip did not hold the selection")

    def close(self):
        e2e.stop_processes(self.processes)
        shutil.rmtree(self.folder, ignore_errors=True)


def ended(program, status):
    try:
        program.wait(timeout=60)
    except subprocess.TimeoutExpired:
        raise AssertionError("the program did not end")
    assert program.returncode == status, "exit status %d" % program.returncode


def case_bus(desk):
    first = desk.start("first.txt")
    wait_for("the bus name", lambda: desk.owned("org.orasent.Orasent"))
    wait_for("the reader window", lambda: desk.reader_windows() == 1)
    second = desk.run("second.txt")
    assert second.returncode == 0, second.stderr
    missing = desk.run("missing.txt")
    assert missing.returncode == 0, missing.stderr
    # Garbage from another caller is ignored.
    desk.send("org.orasent.Orasent", "/org/orasent/Orasent", "org.orasent.Orasent.HandOver",
              "int32:5")
    desk.send("org.orasent.Orasent", "/org/orasent/Orasent", "org.orasent.Orasent.HandOver",
              "array:string:open,relative.txt")
    assert desk.run("--version").returncode == 0
    assert first.poll() is None, "the first program ended"
    assert desk.reader_windows() == 1, "%d reader windows" % desk.reader_windows()
    wait_for("the second file in the player", lambda: desk.player("metadata", "title") == "second")
    desk.quit_player()
    ended(first, 0)
    state = desk.state()
    assert state[104] == os.path.join(desk.folder, "second.txt"), state[104]
    first.log.seek(0)
    log = first.log.read()
    assert log.count("orasent: ignored a request") == 2, log


def case_lock(desk):
    first = desk.start()
    lock = os.path.join(desk.folder, "Orasent.lock")
    wait_for("the lock file", lambda: os.path.exists(lock))
    before = sorted(os.listdir(desk.folder))
    second = desk.run("second.txt")
    assert second.returncode == 1, second.returncode
    said = second.stderr.strip().splitlines()
    assert said[-1] == "Orasent is already running in this folder.", second.stderr
    assert sorted(os.listdir(desk.folder)) == before, "the second start wrote files"
    assert desk.run("--version").returncode == 0
    first.send_signal(signal.SIGTERM)
    ended(first, 0)
    assert os.path.exists(os.path.join(desk.folder, "Orasent.txt"))
    assert os.path.exists(os.path.join(desk.folder, "VIC.INI"))
    assert not os.path.exists(lock)
    # A lock left by a killed program is taken over.
    killed = desk.start()
    wait_for("the lock file", lambda: os.path.exists(lock))
    killed.kill()
    killed.wait()
    third = desk.start()

    def held_by_third():
        try:
            with open(lock) as f:
                return f.readline().strip() == str(third.pid)
        except FileNotFoundError:  # between the stale one's removal and the new one
            return False
    wait_for("the lock taken over", held_by_third)
    assert desk.run("--stop").returncode == 1
    third.send_signal(signal.SIGTERM)
    ended(third, 0)


def case_player(desk):
    program = desk.start("book.txt")
    wait_for("the media player", lambda: desk.owned("org.mpris.MediaPlayer2.orasent"))
    assert desk.player("metadata", "title") == "book"
    # The instructions are spoken at start.
    wait_for("the instructions heard", lambda: desk.player("status") == "Paused")
    desk.player("play-pause")
    wait_for("playing", lambda: desk.player("status") == "Playing")
    desk.player("play-pause")
    wait_for("paused", lambda: desk.player("status") == "Paused")
    desk.player("next")  # Talk: the first sentence
    desk.player("play")
    wait_for("playing", lambda: desk.player("status") == "Playing")
    program.send_signal(signal.SIGTERM)  # while reading
    ended(program, 0)
    assert float(desk.state()[0]) >= 1, desk.state()[0]


def heard(env, seconds=30):
    """Some sound on the default sink's monitor within `seconds`."""
    recorder = subprocess.Popen(["parec", "--device=@DEFAULT_MONITOR@", "--raw", "--format=s16le",
                                 "--rate=16000", "--channels=1"], env=env, stdout=subprocess.PIPE)
    try:
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            block = recorder.stdout.read(3200)
            if not block:
                return False
            samples = memoryview(block).cast("h")
            if max(abs(s) for s in samples) > 500:
                return True
        return False
    finally:
        recorder.kill()
        recorder.wait()


def case_selection(desk):
    desk.select(b"Words selected in another program are read aloud. " * 3)
    background = desk.start("--read-selection")
    wait_for("the bus name", lambda: desk.owned("org.mpris.MediaPlayer2.orasent"))
    wait_for("speaking", lambda: desk.player("status") == "Playing")
    assert desk.reader_windows() == 0, "the reader window was shown"
    if shutil.which("parec") and subprocess.run(["pactl", "info"], env=desk.env,
                                                capture_output=True).returncode == 0:
        assert heard(desk.env), "nothing was heard on the sink"
        print("heard on the null sink")
    for _ in range(100):
        desk.send("org.orasent.Orasent", "/org/orasent/Orasent", "org.orasent.Orasent.HandOver",
                  "array:string:read-selection")
    for action in ("--read-selection", "--read-clipboard", "--stop"):
        assert background.poll() is None, "the program ended with %d" % background.returncode
        assert desk.run(action).returncode == 0
    wait_for("silent after --stop", lambda: desk.player("status") != "Playing")
    assert desk.run().returncode == 0  # a start from the menu shows the same program
    wait_for("the reader window", lambda: desk.reader_windows() == 1)
    desk.quit_player()
    ended(background, 0)


def case_portal(desk):
    """Where the desktop offers the GlobalShortcuts portal, the two shortcuts are registered
    there and a press reads the selection."""
    if subprocess.run(["/usr/bin/python3", "-c", "import dbus, gi"]).returncode != 0:
        print("skipped portal: python3-dbus or python3-gi is not installed")
        return
    record = os.path.join(desk.folder, ".shortcuts")
    portal = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "fake_shortcut_portal.py"),
                               record], env=desk.env, stdout=subprocess.PIPE, text=True)
    desk.processes.append(portal)
    assert portal.stdout.readline().strip() == "ready"
    desk.select(b"A shortcut reads these words. " * 4)
    program = desk.start("book.txt")
    wait_for("the shortcuts bound", lambda: os.path.exists(record) and os.path.getsize(record))
    with open(record) as f:
        bound = json.load(f)
    assert sorted(bound) == ["read-selection", "stop"], bound
    assert bound["read-selection"]["description"] == "Read selection", bound
    wait_for("the instructions heard", lambda: desk.player("status") == "Paused")
    with open(record + ".press", "w") as f:
        f.write("read-selection")
    wait_for("the selection read", lambda: desk.player("status") == "Playing")
    with open(record + ".press", "w") as f:
        f.write("stop")
    wait_for("silent", lambda: desk.player("status") == "Paused")
    desk.quit_player()
    ended(program, 0)


CASES = {"bus": (case_bus, True), "lock": (case_lock, False), "player": (case_player, True),
         "selection": (case_selection, True), "portal": (case_portal, True)}


def main():
    global PROGRAM
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    PROGRAM = os.path.abspath(sys.argv[1])
    missing = e2e.missing_tool("Xvfb", "dbus-daemon", "dbus-send", "xdotool", "xclip", "playerctl")
    if missing:
        return e2e.skip(missing)
    for name in sys.argv[2:] or list(CASES):
        case, with_bus = CASES[name]
        desk = Desktop(with_bus)
        try:
            case(desk)
            print("ok", name)
        finally:
            desk.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
