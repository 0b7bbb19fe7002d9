#!/usr/bin/python3
"""The real program heard through the Orca screen reader.

Runs a private speech-dispatcher whose only output module is sd_generic with a command that
appends each utterance to a transcript file, and Orca with a preferences folder of its own,
started after the program. xdotool drives the program as a keyboard user does: Tab through the
reader, Alt+T twice, open TTS Setup from the menu bar, Tab through it, change the voice with an
arrow key, speak, restart Orca while the program speaks, and finally let the screen reader speak
the sentences. Every check reads the transcript, waiting a bounded time for what must come.

Exit 77 (skipped) only where Orca cannot start: no display or accessibility bus, a missing
program (orca, speech-dispatcher and its generic module, xdotool, pyatspi), or an Orca that does
not come up.

    orca_end_to_end.py PATH_TO_ORASENT [TRANSCRIPT_COPY]
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

import e2e_support as e2e
from e2e_support import SKIP, WAIT, Failure, key, wait_for, xdotool

POOL = (b"Every word is heard. The second sentence follows. The third sentence waits here. "
        b"A fourth sentence ends the pool. ")
SENTENCES = ["Every word is heard.", "The second sentence follows.",
             "The third sentence waits here.", "A fourth sentence ends the pool."]
READER_TAB_ORDER = ["Sentence", "Bigger", "Smaller", "Talk", "Stop", "Again", "Quit",
                    "Set Bookmark", "Next Bookmark", "Prev Bookmark", "Clear Bookmarks",
                    "Set 25 Bookmarks", "File path"]
# Idle, Stop is disabled and Tab passes it by.
SPEECH_TAB_ORDER = ["Text to speak", "Speak", "Play Clipboard", "Test", "Monitor Clipboard",
                    "Clear after speak", "Voice", "Format", "Rate", "Audio Output", "Volume",
                    "CLOSE"]
ROLES = {"Sentence": "text", "File path": "text", "Text to speak": "text",
         "Monitor Clipboard": "check box", "Clear after speak": "check box",
         "Voice": "combo box", "Format": "combo box", "Audio Output": "combo box",
         "Rate": "slider", "Volume": "slider"}
CODE_NAMES = re.compile(r"\b(Command\d+|Text[12]|Label\d|SPKBX|MainTxtBox|VoiceCB|FormatCB|"
                        r"AudioOutputCB|RateSldr|VolumeSldr|ChkClipboard|ClearIt|BtnTest|"
                        r"SpeakBtn|StopBtn|TalkBox|EnglishF|TTSSetup)\b")
CHATTER = re.compile(r"\b(un)?selected\b", re.IGNORECASE)
TOOLS_ITEM = re.compile(r"Export to Audio|Read from Screen|Reading Look|Faster|Slower|"
                        r"Screen reader speaks the sentences|Read Notes|Stop Reading After|"
                        r"Recent Documents|Contents|Next Chapter|Previous Chapter|"
                        r"Read in the Document|Stop Loading|Show Syllables|Pronunciation")


class Transcript:
    """What speech-dispatcher was given to say, one utterance a line, read as it grows."""

    def __init__(self, path):
        self.path = path
        self.mark = 0

    def lines(self):
        try:
            with open(self.path, encoding="utf-8", errors="replace") as said:
                return [line.strip() for line in said if line.strip()]
        except FileNotFoundError:
            return []

    def since_mark(self):
        return self.lines()[self.mark:]

    def set_mark(self):
        self.mark = len(self.lines())

    def wait_said(self, what, matches, seconds=WAIT):
        """The first utterance since the mark that `matches`; the mark moves past it."""
        def probe():
            new = self.since_mark()
            for i, line in enumerate(new):
                if matches(line):
                    return (i, line)
            return None
        try:
            i, line = wait_for(what, probe, seconds)
        except Failure:
            raise Failure("Orca did not say %s; it said since: %r" % (what, self.since_mark()))
        self.mark += i + 1
        return line


def announced(name, role):
    """Orca's words for a control: its caption, then its role."""
    pattern = re.compile(r"^%s\b.*\b%s\b" % (re.escape(name), re.escape(role)), re.IGNORECASE)
    return lambda line: bool(pattern.search(line))


def missing_tools():
    missing = e2e.missing_tool("orca", "speech-dispatcher", "xdotool")
    if missing:
        return missing
    if not any(os.path.exists(os.path.join(d, "sd_generic"))
               for d in ("/usr/lib/speech-dispatcher-modules",
                         "/usr/lib/x86_64-linux-gnu/speech-dispatcher-modules")):
        return "speech-dispatcher's sd_generic module is not installed"
    return None


def start_speech_dispatcher(folder, transcript):
    config = os.path.join(folder, "speechd")
    os.makedirs(os.path.join(config, "modules"))
    with open(os.path.join(config, "modules", "transcript.conf"), "w") as conf:
        # Each utterance as one line of the transcript; speech-dispatcher quotes $DATA.
        conf.write("GenericExecuteSynth \"printf '%%s\\\\n' \\'$DATA\\' >> %s\"\n" % transcript)
        conf.write('GenericCmdDependency "printf"\n')
        conf.write('AddVoice "en" "MALE1" "en"\n')
        conf.write('GenericLanguage "en" "en" "utf-8"\n')
    with open(os.path.join(config, "speechd.conf"), "w") as conf:
        conf.write('LogLevel 3\nLogDir "%s"\n' % config)
        conf.write('AddModule "transcript" "sd_generic" "transcript.conf"\n')
        conf.write("DefaultModule transcript\n")
    socket = os.path.join(folder, "speechd.sock")
    server = subprocess.Popen(
        ["speech-dispatcher", "-s", "-t", "0", "-C", config, "-S", socket,
         "-P", os.path.join(folder, "speechd.pid"), "-L", config],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("speech-dispatcher's socket", lambda: os.path.exists(socket), 15)
    return server, "unix_socket:" + socket


class Orca:
    """Orca on the private display, bus and speech-dispatcher, with its own preferences."""

    def __init__(self, folder, env, transcript):
        self.prefs = os.path.join(folder, "orca-prefs")
        os.makedirs(self.prefs, exist_ok=True)
        self.env = env
        self.transcript = transcript
        self.log = os.path.join(folder, "orca.log")
        self.process = None

    def start(self):
        self.transcript.set_mark()
        with open(self.log, "ab") as log:
            self.process = subprocess.Popen(["orca", "--replace", "-u", self.prefs], env=self.env,
                                            stdout=log, stderr=log)

        def up():
            if self.process.poll() is not None:
                return "ended"
            return any("screen reader on" in line.lower() for line in self.transcript.since_mark())
        state = wait_for("Orca to start", up, 60)
        if state == "ended":
            with open(self.log, errors="replace") as log:
                raise OSError("Orca ended at start: " + log.read()[-2000:])

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


KEY_ECHO = re.compile(r"^(tab|left alt|right alt|left shift|right shift|space|return|down|up|"
                      r"left|right|escape)$", re.IGNORECASE)


def is_key_echo(line):
    """Orca's echo of a key the test pressed."""
    return bool(KEY_ECHO.match(line.strip(" .")))


def control_in(line, order):
    """The control of `order` that `line` announces, or None."""
    for name in order:
        if announced(name, ROLES.get(name, "push button"))(line):
            return name
    return None


def value_after(transcript, name):
    """A combo box's value, said right after its caption and role."""
    value = transcript.wait_said("the value of " + name, lambda line: not is_key_echo(line))
    return value.strip(" .")


def next_control(transcript, order, press="Tab"):
    """Presses `press` until Orca announces a control of `order`: a key the busy bus dropped is
    pressed again, at most three times. Returns the control's name."""
    for _ in range(3):
        key(press)
        try:
            line = transcript.wait_said("a control after " + press,
                                        lambda line: control_in(line, order), 10)
        except Failure:
            continue
        name = control_in(line, order)
        if ROLES.get(name) == "combo box" and not value_after(transcript, name):
            raise Failure("the %s combo box was announced without its value" % name)
        return name
    raise Failure("%s announced no control; Orca said %r" % (press, transcript.since_mark()))


def tab_round(transcript, order):
    """Tab round a window: each control announced by caption and role, each after the one
    before it on the screen, and back to the first (no trap). A key that arrives twice on a busy
    machine skips one control; it is heard on the next round."""
    seen = []
    for _ in range(3 * len(order)):
        name = next_control(transcript, order)
        if seen:
            step = (order.index(name) - order.index(seen[-1])) % len(order)
            if step not in (1, 2):
                raise Failure("Tab went from %s to %s, against the screen's order" % (seen[-1], name))
        seen.append(name)
        if set(seen) >= set(order) and name == seen[0] and len(seen) > 1:
            return
    raise Failure("Tab did not go round: it reached only %r" % seen)


def tab_to(transcript, name, order, press="Tab"):
    """Tab (or Shift+Tab) on until `name` is announced; a combo box's value is returned."""
    for _ in range(2 * len(order)):
        if next_control(transcript, order, press) == name:
            return transcript.lines()[transcript.mark - 1].strip(" .")
    raise Failure("%s never reached %s" % (press, name))


class Run:
    """One run: the program, Orca and the transcript, and the steps a keyboard user takes."""

    def __init__(self, pyatspi, folder, program_path):
        self.pyatspi = pyatspi
        self.folder = folder
        self.program_path = program_path
        self.transcript = Transcript(os.path.join(folder, "said.txt"))
        self.processes = []
        self.orca = None
        self.program = None
        self.window = None
        self.speaking = []  # what Orca said while the program spoke

    def start_program(self, home):
        """The program first, with no screen reader running yet, focused as a click would."""
        reader_folder = e2e.text_files(os.path.join(self.folder, "reader"), POOL)
        env = e2e.program_env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
        env.pop("QT_ACCESSIBILITY", None)
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        self.program = subprocess.Popen([self.program_path], cwd=reader_folder, env=env)
        self.processes.append(self.program)
        self.window = e2e.windows_named("^Read Text$", sync=True)[0]
        xdotool("windowfocus", "--sync", self.window)
        wait_for("the reader as the active window",
                 lambda: self.active_window() == "Read Text")

    def control(self, name, role, window):
        """A control of the program by its name and role, in the window of that title."""
        found = e2e.find_in_window(self.pyatspi, self.program.pid, name, role, window)
        if found is None:
            raise Failure("no %s named %r on the accessibility bus" % (role, name))
        return found

    def active_window(self):
        return e2e.active_window(self.pyatspi, self.program.pid)

    def enabled(self, node):
        return e2e.enabled(self.pyatspi, node)

    def reader(self):
        """Tab round the reader; Alt+T twice, which Orca neither repeats nor turns into the menu
        bar; the second sentence read in the Sentence box on request."""
        said = self.transcript
        said.wait_said("the reader window", lambda line: "Read Text" in line)
        tab_round(said, READER_TAB_ORDER)
        tab_to(said, "Talk", READER_TAB_ORDER)
        sentence_box = self.control("Sentence", self.pyatspi.ROLE_TEXT, "Read Text")
        talk_from = said.mark
        key("alt+t")
        key("alt+t")
        wait_for("the second sentence in the Sentence box",
                 lambda: SENTENCES[1] in sentence_box.queryText().getText(0, -1))
        next_control(said, READER_TAB_ORDER, "shift+Tab")
        self.speaking = said.lines()[talk_from:said.mark - 1]
        for line in self.speaking:
            if any(s in line for s in SENTENCES):
                raise Failure("Orca spoke a sentence over the program's voice: %r" % line)
            if not is_key_echo(line):
                raise Failure("Alt+T made Orca say %r (the menu bar opened?)" % line)
        tab_to(said, "Sentence", READER_TAB_ORDER, "shift+Tab")
        said.wait_said("the second sentence in the Sentence box", lambda l: SENTENCES[1] in l)

    def word_help(self):
        """A word of the sentence marked from the keyboard and its Word Help opened: Orca reads
        the window by its name and its first field; Escape closes it."""
        said = self.transcript
        said.set_mark()
        key("ctrl+Right")
        key("Return")
        said.wait_said("the Word Help window", lambda line: "Word Help" in line)
        said.wait_said("the Syllables field", lambda line: "Syllables" in line)
        key("Escape")
        wait_for("Word Help closed",
                 lambda: self.active_window() != "Word Help")
        # No window manager hands the focus back: the reader is focused as a click would.
        xdotool("windowfocus", "--sync", self.window)
        wait_for("the reader active again",
                 lambda: self.active_window() == "Read Text")
        # A key pressed before the window has given the focus back to its control is lost.
        said.wait_said("the Sentence box focused again", announced("Sentence", "text"))

    def speech_window(self):
        """TTS Setup from the menu bar (Alt alone, Right, Return); Tab round it; the voice
        changed with the arrow keys, the new one spoken."""
        said = self.transcript
        key("alt")
        said.wait_said('"File"', lambda line: line.strip(" .") == "File")
        key("Right")
        said.wait_said('"TTS Setup"', lambda line: line.strip(" .") == "TTS Setup")
        key("Return")
        said.wait_said("the speech window", lambda line: "Text To Speech" in line)
        said.wait_said('"Text to speak"', announced("Text to speak", "text"))
        tab_round(said, SPEECH_TAB_ORDER)
        first_voice = tab_to(said, "Voice", SPEECH_TAB_ORDER)
        key("Down")
        new_voice = said.wait_said("the next voice", lambda line: not is_key_echo(line))
        if new_voice.strip(" .") in ("", first_voice) or "combo box" in new_voice:
            raise Failure("Down gave %r after %r, not the next voice" % (new_voice, first_voice))
        key("Up")
        said.wait_said("the first voice again", lambda line: line.strip(" .") == first_voice)

    def speak_with_orca_restarted(self):
        """Speak, the word highlight running, Orca restarted meanwhile; then CLOSE, and the
        focus back on the reader as a window manager gives it."""
        said = self.transcript
        tab_to(said, "Speak", SPEECH_TAB_ORDER)
        stop = self.control("Stop", self.pyatspi.ROLE_PUSH_BUTTON, "Text To Speech")
        speak_from = said.mark
        key("space")
        wait_for("the program speaking (Stop enabled)", lambda: self.enabled(stop))
        self.orca.stop()
        self.orca.start()
        said.wait_said("the speech window after Orca's restart",
                       lambda line: "Text To Speech" in line)
        wait_for("the end of the speech (Stop disabled)", lambda: not self.enabled(stop), 60)
        self.speaking += said.lines()[speak_from:]
        tab_to(said, "CLOSE", SPEECH_TAB_ORDER)
        key("space")
        wait_for("the speech window hidden",
                 lambda: self.active_window() is None)
        xdotool("windowfocus", "--sync", self.window)
        said.wait_said("the reader again", lambda line: "Read Text" in line)

    def screen_reader_speaks(self):
        """"Screen reader speaks the sentences" from the Tools menu (Alt+L): Orca then speaks
        the next sentence, once. The first Alt combination after Orca (re)started can be lost
        while Orca sets up its keys (so it is with any Qt program): pressed again, at most
        three times."""
        said = self.transcript
        for _ in range(3):
            key("alt+l")
            try:
                said.wait_said("the Tools menu", lambda line: TOOLS_ITEM.search(line), 10)
                break
            except Failure:
                key("Escape")
        else:
            raise Failure("Alt+L never opened the Tools menu")
        for _ in range(20):
            key("Down")
            if "Screen reader speaks the sentences" in said.wait_said(
                    "a Tools menu item", lambda line: TOOLS_ITEM.search(line) or "menu" in line):
                break
        else:
            raise Failure('no "Screen reader speaks the sentences" in the Tools menu')
        key("Return")
        said.wait_said("the reader after the menu", lambda line: "Sentence" in line)
        key("alt+t")
        said.wait_said("the third sentence, by Orca", lambda line: SENTENCES[2] in line)
        spoken = [line for line in said.lines() if SENTENCES[2] in line]
        if len(spoken) != 1:
            raise Failure("the third sentence was said %d times" % len(spoken))

    def check_everything_said(self):
        """While the program spoke, Orca said nothing of selections; no code name was said."""
        for line in self.speaking:
            if CHATTER.search(line):
                raise Failure("selection chatter while the program spoke: %r" % line)
        for line in self.transcript.lines():
            if CODE_NAMES.search(line):
                raise Failure("a code name was spoken: %r" % line)

    def stop_all(self):
        if self.orca:
            self.orca.stop()
        e2e.stop_processes(self.processes, grace=10)


def enable_desktop_accessibility():
    """Accessibility on, as on a desktop where a screen reader is set up: a fresh user's
    settings say off, and programs then never join the accessibility bus."""
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                    "--object-path", "/org/a11y/bus",
                    "--method", "org.freedesktop.DBus.Properties.Set",
                    "org.a11y.Status", "IsEnabled", "<true>"],
                   check=True, capture_output=True, timeout=WAIT)


def why_orca_cannot_start():
    """A reason to skip, or None. Points this process at the private display and bus."""
    reason = e2e.use_accessibility_bus() or missing_tools()
    if reason:
        return reason
    if e2e.import_pyatspi() is None:
        return "python3-pyatspi is not installed"
    return None


def run(folder, program_path):
    pyatspi = e2e.import_pyatspi()
    # A key held past the repeat delay on a busy machine would arrive twice: no autorepeat on
    # this display (xkbset comes with Orca).
    if shutil.which("xkbset"):
        subprocess.run(["xkbset", "-repeatkeys"], check=False, timeout=WAIT)
    r = Run(pyatspi, folder, program_path)
    try:
        server, address = start_speech_dispatcher(folder, r.transcript.path)
        r.processes.append(server)
        home = os.path.join(folder, "home")
        os.makedirs(home)
        enable_desktop_accessibility()
        r.start_program(home)
        orca_env = dict(os.environ, HOME=home, SPEECHD_ADDRESS=address,
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_DATA_HOME=os.path.join(home, ".local", "share"))
        r.orca = Orca(folder, orca_env, r.transcript)
        try:
            r.orca.start()
        except (OSError, Failure) as error:
            print("SKIP: Orca cannot start: %s" % error)
            return SKIP, r.transcript
        r.reader()
        r.word_help()
        r.speech_window()
        r.speak_with_orca_restarted()
        r.screen_reader_speaks()
        r.check_everything_said()
        return 0, r.transcript
    except Failure as failure:
        print("FAIL:", failure)
        return 1, r.transcript
    finally:
        r.stop_all()


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    reason = why_orca_cannot_start()
    if reason:
        print("SKIP: Orca cannot start: " + reason)
        return SKIP
    folder = tempfile.mkdtemp(prefix="orasent-orca.")
    try:
        status, transcript = run(folder, sys.argv[1])
        print("Transcript:")
        for line in transcript.lines():
            print("  " + line)
        if status == 0 and len(sys.argv) == 3:
            shutil.copyfile(transcript.path, sys.argv[2])
        return status
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
