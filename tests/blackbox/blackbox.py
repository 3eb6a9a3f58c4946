"""What the black-box tests share: the programs started on a fresh machine
state, and their windows found and worked through the accessibility bus."""

import contextlib
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

BIN = os.environ.get("TALLYLINE_BIN", "")
SOURCE = os.environ.get("TALLYLINE_SOURCE", "")


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def wait_until(predicate, what, timeout=20.0, step=0.1):
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # an object gone while it was read: try again
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


class Machine:
    """A fresh TALLYLINE_ROOT with registry values written as the .reg file."""

    def __init__(self):
        self.dir = tempfile.TemporaryDirectory(prefix="tallyline-blackbox.")
        self.root = self.dir.name
        os.makedirs(os.path.join(self.root, "registry"))
        self.keys = {}

    def set(self, key, name, value):
        self.keys.setdefault(key, {})[name] = value

    def write(self):
        lines = ["Windows Registry Editor Version 5.00", ""]
        for key, values in self.keys.items():
            lines.append("[HKEY_LOCAL_MACHINE\\" + key + "]")
            for name, value in values.items():
                lines.append('"%s"="%s"' % (name, value.replace("\\", "\\\\")))
            lines.append("")
        with open(os.path.join(self.root, "registry", "HKEY_LOCAL_MACHINE.reg"), "w", newline="\r\n") as f:
            f.write("\n".join(lines))

    def read(self, key, name):
        """A value of HKEY_LOCAL_MACHINE as the programs left it, or None."""
        path = os.path.join(self.root, "registry", "HKEY_LOCAL_MACHINE.reg")
        section = None
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.rstrip("\r\n")
                if line.startswith("["):
                    section = line[1:-1]
                elif section and section.lower() == ("HKEY_LOCAL_MACHINE\\" + key).lower() and "=" in line:
                    left, right = line.split("=", 1)
                    if left.strip('"').lower() == name.lower():
                        if right.startswith("dword:"):
                            return int(right[6:], 16)
                        return right.strip('"').replace("\\\\", "\\")
        return None

    def env(self, **extra):
        env = dict(os.environ)
        env["TALLYLINE_ROOT"] = self.root
        env.update(extra)
        return env


def start(program, args, env):
    return subprocess.Popen([os.path.join(BIN, program)] + list(args), env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


# --- the accessibility tree -------------------------------------------------

def accessibility_ready(timeout=30.0):
    """Waits until the accessibility bus answers: a program started before it
    does finds no bus to announce itself on and never shows up."""
    def answers():
        desktop = pyatspi.Registry.getDesktop(0)
        return desktop is not None and desktop.childCount >= 0
    wait_until(answers, "the accessibility bus", timeout)


def application(name, timeout=20.0):
    def look():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == name:
                return a
        return None
    return wait_until(look, "the application " + name, timeout)


def _walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from _walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def find_all(root, role=None, name=None, contains=None, visible=True):
    found = []
    for node in _walk(root):
        try:
            if role is not None and node.getRoleName() != role:
                continue
            if name is not None and node.name != name:
                continue
            if contains is not None and contains not in (node.name or ""):
                continue
            if visible and not showing(node):
                continue
            found.append(node)
        except Exception:
            continue
    return found


def find(root, role=None, name=None, contains=None, timeout=20.0, visible=True):
    what = "%s %r" % (role or "control", name if name is not None else contains)
    return wait_until(lambda: (find_all(root, role, name, contains, visible) or [None])[0], what, timeout)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def selected(node):
    return node.getState().contains(pyatspi.STATE_SELECTED)


def current_tab(node):
    """The tab whose page is shown (Qt marks it focused, newer ones selected)."""
    states = node.getState()
    return states.contains(pyatspi.STATE_SELECTED) or states.contains(pyatspi.STATE_FOCUSED)


def act(node, *names):
    """Performs the first of the named actions the control offers."""
    action = node.queryAction()
    offered = [action.getName(i) for i in range(action.nActions)]
    for wanted in names:
        for i, n in enumerate(offered):
            if n.lower() == wanted.lower():
                action.doAction(i)
                return
    raise Failure("%s %r offers only %s" % (node.getRoleName(), node.name, offered))


def press(node):
    act(node, "Press", "Toggle", "Click")


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


def type_into(node, text):
    node.queryEditableText().setTextContents(text)


def describe(root):
    """The showing controls under root, for a failure's message."""
    out = []
    for node in find_all(root):
        try:
            if node.name:
                out.append("%s %r" % (node.getRoleName(), node.name))
        except Exception:
            pass
    return "; ".join(out[:80])


# A program that could not reach the display did not fail for its own sake:
# run.sh runs the test again on a fresh display when it ends with this status.
DISPLAY_LOST = 3


def run(test):
    """Runs one test function and turns its outcome into the exit status."""
    try:
        test()
    except Failure as e:
        print("FAILED:", e)
        if "could not connect to display" in str(e):
            print("blackbox: a program could not connect to the display", os.environ.get("DISPLAY"))
            sys.exit(DISPLAY_LOST)
        sys.exit(1)
    print("passed")


# --- devices and Portdeck ---------------------------------------------------

PORTDECK_KEY = "Software\\Varnel\\Tallyline\\Portdeck"


class Device:
    """One tallysim device on COMn with its transcript (--log)."""

    def __init__(self, machine, product, com, *extra):
        self.com = com
        self.log = os.path.join(machine.root, "tallysim-COM%d.log" % com)
        out_path = os.path.join(machine.root, "tallysim-COM%d.out" % com)
        self.out = open(out_path, "w")
        self.process = subprocess.Popen(
            [os.path.join(BIN, "tallysim"), "--product", product, "--com", str(com),
             "--link", os.path.join(machine.root, "ttyCOM%d" % com), "--log", self.log] + list(extra),
            stdout=self.out, stderr=subprocess.STDOUT, env=machine.env())
        wait_until(lambda: os.path.getsize(out_path) > 0, "tallysim on COM%d" % com, timeout=10)

    def transcript(self):
        """The transcript's lines with the escapes turned back into characters."""
        try:
            with open(self.log, encoding="latin-1") as f:
                lines = f.read().splitlines()
        except OSError:
            return []
        return [line.replace("\\r", "\r").replace("\\n", "\n") for line in lines]

    def received(self):
        """The commands the device received, in order."""
        return [line[2:] for line in self.transcript() if line.startswith("> ")]

    def replies(self):
        return "".join(line[2:] for line in self.transcript() if line.startswith("< "))

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.out.close()


def english(machine):
    machine.set(PORTDECK_KEY + "\\Language", "ID", "409")
    machine.set(PORTDECK_KEY + "\\Language", "SubLanguage", "US English")


def known_serial(machine, product_key, serial):
    """A product seen before: its screen opens without the first-install page."""
    machine.set(PORTDECK_KEY + "\\" + product_key, "Serial Number1", serial)


def start_portdeck(machine, locale="en_US.UTF-8", **extra):
    env = machine.env(LANG=locale, LC_ALL=locale, TALLYLINE_OPENER="/bin/true", **extra)
    out = open(os.path.join(machine.root, "portdeck.out"), "w")
    return subprocess.Popen([os.path.join(BIN, "portdeck"), "/l"], env=env, stdout=out, stderr=subprocess.STDOUT)


def portdeck_application(machine, portdeck, timeout=60.0):
    """Portdeck's application on the bus; what it printed when it never came
    (at once when it ended before it came)."""
    deadline = time.monotonic() + timeout
    while portdeck.poll() is None and time.monotonic() < deadline:
        try:
            return application("Portdeck", 1.0)
        except Failure:
            pass
    with open(os.path.join(machine.root, "portdeck.out"), errors="replace") as f:
        printed = f.read()
    raise Failure("Portdeck never appeared (%s); it printed: %s" % (
        "running" if portdeck.poll() is None else "ended with %s" % portdeck.returncode, printed[-2000:]))


def portdeck_log_tail(machine, lines=25):
    try:
        with open(os.path.join(machine.root, "drive_c", "pdlog.txt"), errors="replace") as log:
            return "".join(log.readlines()[-lines:])
    except OSError:
        return ""


@contextlib.contextmanager
def portdeck_session(machine, devices, on_failure=None, **start):
    """Portdeck started on the machine, yielding its application and process.
    On a failure it prints what Portdeck shows and the end of its log (and
    whatever on_failure returns); afterwards Portdeck and the devices stop."""
    portdeck = start_portdeck(machine, **start)
    app = None
    try:
        app = portdeck_application(machine, portdeck)
        yield app, portdeck
    except Exception:
        if app is not None:
            print("blackbox: Portdeck shows:", describe(app))
        print("blackbox: Portdeck's log ends:", portdeck_log_tail(machine))
        if on_failure:
            print("blackbox:", on_failure())
        raise
    finally:
        if portdeck.poll() is None:
            portdeck.kill()
        for device in devices:
            device.stop()


def press_when_enabled(root, role, name, timeout=60):
    node = find(root, role, name, timeout=timeout)
    wait_until(lambda: enabled(node), "%s %r to be enabled" % (role, name), timeout=timeout)
    press(node)
    return node


def exit_portdeck(app, portdeck, caption="Exit"):
    press_when_enabled(app, "push button", caption)
    wait_until(lambda: portdeck.poll() is not None, "Portdeck to end", timeout=60)
    check(portdeck.returncode == 0, "Portdeck ended with %s" % portdeck.returncode)


def focus(node):
    """Gives node the keyboard focus of its window, and brings the pointer over
    it: without a window manager the keys go to the window under the pointer."""
    node.queryComponent().grabFocus()
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, "abs")
    time.sleep(0.2)


def type_keys(text):
    """Types text as key presses, to whatever has the keyboard focus."""
    for ch in text:
        if ch == "\r":
            pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)
        else:
            pyatspi.Registry.generateKeyboardEvent(ord(ch), None, pyatspi.KEY_SYM)
        time.sleep(0.02)


def table_columns(node):
    table = node.queryTable()
    return [table.getColumnDescription(c) for c in range(table.nColumns)]


def table_rows(node):
    """The cells of a table, row by row, as their names."""
    table = node.queryTable()
    return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)] for r in range(table.nRows)]
