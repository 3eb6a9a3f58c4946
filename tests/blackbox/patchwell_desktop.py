"""What the two tray walks of Patchwell share: a machine with the ISDN TA
registered against a slow local update site, Patchwell started on it, and
the checks of what a program that ended leaves behind."""

import functools
import http.server
import os
import signal
import threading
import time

from blackbox import Machine, check, start, wait_until

PRODUCTS = "Software\\Varnel\\Patchwell\\Products\\"
ISDN = "Varnel Brenmoor ISDN TA"
SHEET = "Patchwell - "   # the sheet, whichever product it shows
CLASS_KEY = "CLSID\\{CCFDE578-9BE0-11D1-8E3E-00A02450872B}"


class SlowHandler(http.server.SimpleHTTPRequestHandler):
    """The sample site, its firmware sent a little at a time (a slow line)."""

    def log_message(self, *args):
        pass

    def copyfile(self, source, outputfile):
        if not self.path.endswith(".bin"):
            return super().copyfile(source, outputfile)
        try:
            while True:
                chunk = source.read(400)
                if not chunk:
                    break
                outputfile.write(chunk)
                outputfile.flush()
                time.sleep(0.25)
        except OSError:
            pass


def serve_sample_site():
    site = os.path.abspath(os.path.join(os.environ["TALLYLINE_BIN"], "..", "share", "tallyline", "updatesite"))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(SlowHandler, directory=site))
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/isdnta" % server.server_address[1]


def machine_with_isdn(url):
    machine = Machine()
    machine.set(PRODUCTS + ISDN, "InstalledVersion", "1.0")
    machine.set(PRODUCTS + ISDN, "ProductUpdateURL", url)
    machine.set(PRODUCTS + ISDN, "UpdateIniDirectory", "")
    machine.write()
    return machine


def start_patchwell(machine, *args):
    env = machine.env(LANG="en_US.UTF-8", LC_ALL="en_US.UTF-8", LANGUAGE="", TALLYLINE_OPENER="/bin/true")
    return start("patchwell", list(args), env)


def registered(machine):
    """Whether the engine's class is in the store (it is while Patchwell runs)."""
    path = os.path.join(machine.root, "registry", "HKEY_CLASSES_ROOT.reg")
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return ("[HKEY_CLASSES_ROOT\\" + CLASS_KEY).lower() in f.read().lower()
    except OSError:
        return False


def ended_cleanly(machine, program, what, timeout=15):
    wait_until(lambda: program.poll() is not None, "Patchwell to end after " + what, timeout=timeout)
    output = program.communicate()[0].decode(errors="replace")
    check(program.returncode == 0, "Patchwell ended with %s after %s: %s" % (program.returncode, what, output[-1500:]))
    check(not registered(machine), "the engine is unregistered after " + what)


def terminate(program):
    program.send_signal(signal.SIGTERM)


def log_kinds(machine):
    """The kinds of the engine's event log records."""
    path = os.path.join(machine.root, "patchwell", "log", "events.log")
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return [int(line.split("\t")[1]) for line in f if line.count("\t") == 3]
    except OSError:
        return []


def stop(program):
    if program.poll() is None:
        program.kill()
        print(program.communicate()[0].decode(errors="replace")[-2000:])
