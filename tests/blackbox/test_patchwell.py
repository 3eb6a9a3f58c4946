"""Patchwell from outside: opened for the ISDN TA as Portdeck opens it, the
interval and the product's own site changed, Update Now against the sample
site over HTTP, the prompt and the completion question answered, the sheet
closed; then what the engine stored."""

import functools
import http.server
import os
import threading

from blackbox import (Machine, application, check, current_tab, enabled, find, press, run, start, text_of,
                      type_into, wait_until)

PRODUCTS = "Software\\Varnel\\Patchwell\\Products\\"
ISDN = "Varnel Brenmoor ISDN TA"

TEXTS = {
    "en": dict(interval="Check for updates every this many days (1 to 365):", next="Next update:",
               general="General", scheduling="Scheduling", site_check="Use my own product site:",
               site="Use my own product site", update_now="Update Now...", yes="Yes", close="Close",
               prompt="An update is available.", complete="Have you completed the update"),
    "de": dict(interval="Alle wie viele Tage nach Aktualisierungen suchen (1 bis 365):",
               next="Nächste Aktualisierung:", general="Optionen", scheduling="Zeitplan",
               site_check="Eigene Produktseite verwenden:", site="Eigene Produktseite verwenden",
               update_now="Jetzt aktualisieren...", yes="Ja", close="Schließen",
               prompt="Eine Aktualisierung ist verfügbar.", complete="Haben Sie die Aktualisierung abgeschlossen"),
}


REQUESTED = []


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        REQUESTED.append(self.path)
        super().do_GET()


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def sample_key():
    """The sample site's key (a sample, never trusted by an installed product)."""
    path = os.path.join(os.environ["TALLYLINE_SOURCE"], "resources", "sample-signing-key", "sample-update-key.pub")
    with open(path) as f:
        return f.read().splitlines()[-1].strip()


def one_language(language, pinned):
    """One walk; with pinned, the product takes only the site's signed files."""
    t = TEXTS[language]
    site = os.path.join(os.environ["TALLYLINE_BIN"], "..", "share", "tallyline", "updatesite")
    server = serve(os.path.abspath(site))
    url = "http://127.0.0.1:%d/isdnta" % server.server_address[1]
    machine = Machine()
    for name in (ISDN, "Varnel Lumora IDSL Modem"):
        machine.set(PRODUCTS + name, "InstalledVersion", "1.0")
        machine.set(PRODUCTS + name, "ProductUpdateURL", "http://127.0.0.1:9/nothing-here")
        machine.set(PRODUCTS + name, "UpdateIniDirectory", "")
    if pinned:
        machine.set(PRODUCTS + ISDN, "UpdatePublicKey", sample_key())
    machine.write()
    locale = "de_DE.UTF-8" if language == "de" else "en_US.UTF-8"
    env = machine.env(LANG=locale, LC_ALL=locale, LANGUAGE="", TALLYLINE_OPENER="/bin/true")
    # As Portdeck starts it: "-C", two blanks, the device's name.
    program = start("patchwell", ["-C", ""] + ISDN.split(" "), env)
    try:
        app = application("Patchwell")
        sheet = find(app, "dialog", "Patchwell - " + ISDN)
        tab = find(sheet, "page tab", t["scheduling"])
        wait_until(lambda: current_tab(tab), "the Scheduling tab to be shown", timeout=5)

        interval = find(sheet, "text", t["interval"])
        type_into(interval, "21")
        wait_until(lambda: text_of(interval) == "21", "the interval to read 21")
        check(text_of(find(sheet, "text", t["next"])) != "", "a next date is shown")

        press(find(sheet, "page tab", t["general"]))
        press(find(sheet, "check box", t["site_check"]))
        site_field = find(sheet, "text", t["site"])
        wait_until(lambda: enabled(site_field), "the site field to be enabled")
        type_into(site_field, url)

        press(find(sheet, "page tab", t["scheduling"]))
        press(find(sheet, "push button", t["update_now"]))

        prompt = find(app, "label", contains=t["prompt"], timeout=30)
        check(ISDN in prompt.name, "the prompt names the product")
        press(find(app, "push button", t["yes"]))
        # The sample firmware is loaded by the user: the engine asks whether that is done.
        find(app, "label", contains=t["complete"], timeout=30)
        press(find(app, "push button", t["yes"]))

        sheet = find(app, "dialog", "Patchwell - " + ISDN, timeout=30)
        press(find(sheet, "push button", t["close"]))
        wait_until(lambda: program.poll() is not None, "Patchwell to end with its sheet")
        check(program.returncode == 0, "Patchwell ended cleanly")
    finally:
        if program.poll() is None:
            program.kill()
            print(program.communicate()[0].decode(errors="replace"))
        server.shutdown()

    key = PRODUCTS + ISDN
    check(machine.read(key, "InstalledVersion") == "1999.11.30", "the update is installed")
    check(machine.read(key, "UpdateInterval") == 21, "the interval is stored")
    check(machine.read(key, "ProductSite") == url, "the product's own site is stored")
    check(("/isdnta/update.ini.minisig" in REQUESTED) == pinned,
          "the signature is fetched only for a product with a pinned key: %s" % REQUESTED)
    REQUESTED.clear()


def main():
    for language, pinned in (("en", True), ("de", False)):
        print("blackbox: Patchwell in", language, "with the sample key pinned" if pinned else "without a key")
        one_language(language, pinned)


run(main)
