"""The desktop around a tray program for the black-box tests: a real tray
host (trayer) on the test's X display, the icon found among its embedded
windows and clicked with the mouse (xdotool), windows asked to close as a
window manager's close button asks them (WM_DELETE_WINDOW), and the
StatusNotifier side: a watcher on the test's session bus, this test as the
host that shows the items, activating an item and driving its menu over
D-Bus (com.canonical.dbusmenu)."""

import ctypes
import ctypes.util
import os
import re
import subprocess
import time

from gi.repository import Gio, GLib

from blackbox import Failure, wait_until


def _run(*args):
    return subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout


class Trayer:
    """trayer at the top right of the screen (the update windows take the bottom
    right corner, and without a window manager nothing keeps them off the
    panel); the icons it embeds."""

    def __init__(self, log_dir):
        self.log = open(os.path.join(log_dir, "trayer.log"), "w")
        self.process = subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
             "--height", "32"], stdout=self.log, stderr=subprocess.STDOUT)
        self.panel = wait_until(self._panel, "trayer's panel", timeout=10)

    def _panel(self):
        for line in _run("xwininfo", "-root", "-tree").splitlines():
            if '"panel"' in line:
                return line.split()[0]
        return None

    def icons(self):
        """The windows embedded in the tray (each an icon's socket child)."""
        found = []
        for line in _run("xwininfo", "-id", self.panel, "-tree").splitlines():
            m = re.match(r"\s+(0x[0-9a-f]+) .*\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)", line)
            if m and int(m.group(2)) <= 64 and int(m.group(3)) <= 64 and int(m.group(2)) > 1:
                found.append((m.group(1), int(m.group(6)), int(m.group(7)), int(m.group(2)), int(m.group(3))))
        return found

    def icon(self, before=(), timeout=20):
        """An icon that was not among those before, as (x, y) of its centre."""
        old = {i[0] for i in before}

        def new():
            for wid, x, y, w, h in self.icons():
                if wid not in old:
                    return (x + w // 2, y + h // 2)
            return None
        return wait_until(new, "the tray icon", timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)
        self.log.close()


def double_click(at):
    _run("xdotool", "mousemove", str(at[0]), str(at[1]), "click", "--repeat", "2", "--delay", "80", "1")
    time.sleep(0.3)


def right_click(at):
    _run("xdotool", "mousemove", str(at[0]), str(at[1]), "click", "3")
    time.sleep(0.3)


def _visible_windows(cls):
    found = {}
    for wid in _run("xdotool", "search", "--onlyvisible", "--class", cls).split():
        geometry = _run("xdotool", "getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        try:
            found[wid] = tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            continue
    return found


def open_menu(at, cls="patchwell"):
    """Right-clicks the icon and returns the geometry (x, y, w, h) of the menu
    window that opened (popup menus are not in the accessibility tree)."""
    before = _visible_windows(cls)
    right_click(at)

    def new_window():
        for wid, g in _visible_windows(cls).items():
            if wid not in before and g[3] < 200 and g[2] > 40:
                return g
        return None
    return wait_until(new_window, "the tray menu to open", timeout=10)


def pick(menu, place):
    """Clicks the menu's first ("top"), middle ("middle") or last ("bottom") item.
    The menu is Update Configuration, About, Exit with a separator between each."""
    x, y, w, h = menu
    row = {"top": y + 12, "middle": y + h // 2, "bottom": y + h - 12}[place]
    _run("xdotool", "mousemove", str(x + w // 2), str(row), "click", "1")
    time.sleep(0.3)


def click_node(node):
    """A real mouse click in the middle of an accessible control."""
    import pyatspi
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    _run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
    time.sleep(0.2)


# --- closing a window as a window manager does ---------------------------------

class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def close_window(title):
    """Sends the windows whose title matches (a regular expression)
    WM_DELETE_WINDOW, as a close button does."""
    ids = _run("xdotool", "search", "--name", "^" + title + "$").split()
    if not ids:
        raise Failure("no window titled %r to close" % title)
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    try:
        protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        delete = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        for wid in ids:
            event = _XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = int(wid)
            event.xclient.message_type = protocols
            event.xclient.format = 32
            event.xclient.data[0] = delete
            event.xclient.data[1] = 0  # CurrentTime
            x11.XSendEvent(display, int(wid), 0, 0, ctypes.byref(event))
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


# --- the StatusNotifier side ---------------------------------------------------

WATCHER = "org.kde.StatusNotifierWatcher"


class StatusNotifierHost:
    """A watcher on the session bus and this test registered as the host that
    shows the items (as a desktop's panel does)."""

    def __init__(self, log_dir):
        self.log = open(os.path.join(log_dir, "watcher.log"), "w")
        self.process = subprocess.Popen(["status-notifier-watcher"], stdout=self.log, stderr=subprocess.STDOUT)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        wait_until(lambda: self._has_owner(WATCHER), "the StatusNotifier watcher", timeout=10)
        # A name of our own, registered as the host.
        self.name = "org.kde.StatusNotifierHost-%d" % os.getpid()
        self.owner = Gio.bus_own_name_on_connection(self.bus, self.name, Gio.BusNameOwnerFlags.NONE, None, None)
        wait_until(lambda: self._has_owner(self.name), "the host's name", timeout=5)
        self._call(WATCHER, "/StatusNotifierWatcher", WATCHER, "RegisterStatusNotifierHost",
                   GLib.Variant("(s)", (self.name,)))
        wait_until(lambda: self.watcher_property("IsStatusNotifierHostRegistered"), "the host to be registered",
                   timeout=5)

    def _has_owner(self, name):
        reply = self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                           GLib.Variant("(s)", (name,)))
        return reply.unpack()[0]

    def _call(self, dest, path, iface, method, args=None, timeout=5000):
        return self.bus.call_sync(dest, path, iface, method, args, None, Gio.DBusCallFlags.NONE, timeout, None)

    def _get(self, dest, path, iface, prop):
        reply = self._call(dest, path, "org.freedesktop.DBus.Properties", "Get", GLib.Variant("(ss)", (iface, prop)))
        return reply.unpack()[0]

    def watcher_property(self, prop):
        try:
            return self._get(WATCHER, "/StatusNotifierWatcher", WATCHER, prop)
        except GLib.Error:
            return None

    def items(self):
        return self.watcher_property("RegisteredStatusNotifierItems") or []

    def item(self, title, timeout=20):
        """The registered item whose Title is title, as (bus name, path)."""
        def look():
            for entry in self.items():
                service, _, path = entry.partition("/")
                path = "/" + path if path else "/StatusNotifierItem"
                try:
                    if self._get(service, path, "org.kde.StatusNotifierItem", "Title") == title:
                        return (service, path)
                except GLib.Error:
                    continue
            return None
        return wait_until(look, "the StatusNotifier item %r" % title, timeout)

    def activate(self, item):
        self._call(item[0], item[1], "org.kde.StatusNotifierItem", "Activate", GLib.Variant("(ii)", (0, 0)))

    def menu_path(self, item):
        return self._get(item[0], item[1], "org.kde.StatusNotifierItem", "Menu")

    def menu(self, item):
        """The menu's items as {label: (id, enabled)}, after AboutToShow as a host asks."""
        path = self.menu_path(item)
        self._call(item[0], path, "com.canonical.dbusmenu", "AboutToShow", GLib.Variant("(i)", (0,)))
        layout = self._call(item[0], path, "com.canonical.dbusmenu", "GetLayout",
                            GLib.Variant("(iias)", (0, -1, []))).unpack()[1]
        entries = {}
        for child in layout[2]:
            cid, props, _ = child
            label = props.get("label", "")
            if props.get("type") == "separator" or not label:
                continue
            entries[label.replace("_", "").replace("&", "")] = (cid, props.get("enabled", True))
        return entries

    def click(self, item, label):
        entries = self.menu(item)
        if label not in entries:
            raise Failure("the menu has no %r, only %s" % (label, sorted(entries)))
        cid, is_enabled = entries[label]
        if not is_enabled:
            raise Failure("%r is greyed in the menu" % label)
        self._call(item[0], self.menu_path(item), "com.canonical.dbusmenu", "Event",
                   GLib.Variant("(isvu)", (cid, "clicked", GLib.Variant("s", ""), 0)))

    def stop(self):
        Gio.bus_unown_name(self.owner)
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)
        self.log.close()
