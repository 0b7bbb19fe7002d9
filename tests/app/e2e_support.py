"""What the end-to-end scripts share: waiting for a condition, finding the program's controls on
the accessibility bus, driving X with xdotool, the folder the program reads from, and skipping
where a tool is missing.

The scripts import it from their own folder (Python puts a script's folder first on its path).
"""
import os
import shutil
import subprocess
import time

SKIP = 77
WAIT = 30.0  # the longest a step may take on a busy machine, in seconds


class Failure(AssertionError):
    """A check of the running program that did not hold."""


def wait_for(what, probe, seconds=WAIT):
    """The first true value of `probe()`, asked every 50 ms for at most `seconds`."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise Failure("timed out waiting for " + what)


# Skipping.

def skip(reason):
    """Says why the script skips; its exit status for that."""
    print("SKIP: " + reason)
    return SKIP


def missing_tool(*tools):
    """The first of `tools` not on the PATH, said as a reason to skip, or None."""
    for tool in tools:
        if shutil.which(tool) is None:
            return tool + " is not installed"
    return None


def use_accessibility_bus():
    """Points this process (pyatspi reads them on import) and its children at the private display
    and session bus of scripts/with-accessibility-bus.sh. A reason to skip, or None."""
    if not os.environ.get("ORASENT_A11Y_DISPLAY") or not os.environ.get("ORASENT_A11Y_SESSION_BUS"):
        return "no X display or accessibility bus (run through scripts/with-accessibility-bus.sh)"
    os.environ["DISPLAY"] = os.environ["ORASENT_A11Y_DISPLAY"]
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = os.environ["ORASENT_A11Y_SESSION_BUS"]
    return None


def import_pyatspi():
    """The pyatspi module, or None where python3-pyatspi is not installed."""
    try:
        import pyatspi
    except ImportError:
        return None
    return pyatspi


# The program's folder and processes.

def text_files(folder, text, names=("Tech Pool.txt",)):
    """`folder` (made if need be) with each of `names` holding `text`; returns the folder."""
    os.makedirs(folder, exist_ok=True)
    for name in names:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(text)
    return folder


def program_env(base=None, **extra):
    """The environment the program runs in: on X (the tests' fake display), plus `extra`."""
    return dict(os.environ if base is None else base, QT_QPA_PLATFORM="xcb", **extra)


def stop_processes(processes, grace=None):
    """Ends the still running ones, the last started first: killed at once, or asked with
    SIGTERM and killed after `grace` seconds."""
    for process in reversed(processes):
        if process.poll() is None:
            if grace is None:
                process.kill()
            else:
                process.terminate()
                try:
                    process.wait(grace)
                except subprocess.TimeoutExpired:
                    process.kill()
        process.wait()


# X, through xdotool.

def xdotool(*args, env=None):
    """Runs xdotool; fails when it does."""
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=WAIT, env=env)


def key(*names):
    """Presses each key (or combination) in turn, without the modifiers held down."""
    for name in names:
        xdotool("key", "--clearmodifiers", name)


def click_at(x, y):
    """A real click of the left mouse button at desktop coordinates."""
    xdotool("mousemove", x, y, "click", "1")


def windows_named(title, env=None, sync=False):
    """The ids of the visible windows whose title matches the regular expression `title`; with
    `sync`, waits until there is one."""
    command = ["xdotool", "search"] + (["--sync"] if sync else []) + ["--onlyvisible", "--name",
                                                                     title]
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
    return done.stdout.split()


# The accessibility bus, through pyatspi.

def application(pyatspi, pid):
    """The program of process `pid` on the accessibility bus once it has a window, or None."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        try:
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        except Exception:  # a program that went away while asked
            continue
    return None


def windows(app):
    """The program's top-level windows as they are now."""
    found = []
    for i in range(app.childCount if app is not None else 0):
        try:
            found.append(app.getChildAtIndex(i))
        except Exception:  # a window that went away while asked
            continue
    return found


def descendants(node, depth=0):
    """`node` and everything below it, depth first; children that went away are passed by."""
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
        except Exception:  # a child that went away while walking
            continue
        yield from descendants(child, depth + 1)


def find(root, name, role):
    """The first control below `root` with that accessible name and role, or None."""
    for node in descendants(root):
        try:
            if node.name == name and node.getRole() == role:
                return node
        except Exception:
            continue
    return None


def find_in_window(pyatspi, pid, name, role, window=None):
    """A control of the program by name and role, in the window of that title where one is
    given, or None."""
    for frame in windows(application(pyatspi, pid)):
        try:
            if window is not None and frame.name != window:
                continue
        except Exception:
            continue
        found = find(frame, name, role)
        if found:
            return found
    return None


def active_window(pyatspi, pid):
    """The title of the program's active window, or None."""
    for frame in windows(application(pyatspi, pid)):
        try:
            if frame.getState().contains(pyatspi.STATE_ACTIVE):
                return frame.name
        except Exception:  # a window that went away while asked
            continue
    return None


def enabled(pyatspi, node):
    """Whether a control is enabled now (not as the bus client remembers it)."""
    node.clearCache()
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def press(pyatspi, node):
    """The control's press (or click, or toggle) action, as a screen reader does it."""
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def click(pyatspi, node):
    """A real mouse click in the middle of the control."""
    x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    click_at(x + width // 2, y + height // 2)
