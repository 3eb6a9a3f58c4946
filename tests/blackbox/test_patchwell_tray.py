"""Patchwell in a real tray (trayer on the test's display), used with the
mouse as a user does: the icon double-clicked, right-clicked, its menu's
About, Update Configuration and Exit picked, the About box traded for the
sheet by a double click, the sheet closed through its window's close, an
update started and SIGTERM sent in the middle of its download; each program
ends cleanly with the engine unregistered and nothing installed that was not
asked for."""

import os

from blackbox import application, check, find, find_all, press, run, showing, wait_until
from patchwell_desktop import (ISDN, PRODUCTS, SHEET, ended_cleanly, log_kinds, machine_with_isdn, registered,
                               serve_sample_site, start_patchwell, stop, terminate)
from trayhost import Trayer, click_node, close_window, double_click, open_menu, pick

import subprocess


def dismiss_menu():
    subprocess.run(["xdotool", "key", "Escape"])


def gone(app, role, name):
    return not find_all(app, role, name)


def gone_titled(app, prefix):
    return not find_all(app, "dialog", contains=prefix)


def walk_about_and_exit(machine, trayer):
    before = trayer.icons()
    program = start_patchwell(machine)
    try:
        icon = trayer.icon(before)
        app = application("Patchwell")
        wait_until(lambda: registered(machine), "the engine to be registered")

        double_click(icon)
        find(app, "dialog", contains=SHEET)
        # Under the sheet the icon still answers: its menu, and About from it.
        pick(open_menu(icon), "middle")   # About Patchwell...
        find(app, "dialog", "About Patchwell")
        # Exit is greyed: picked, it does nothing.
        pick(open_menu(icon), "bottom")
        check(program.poll() is None and registered(machine), "a greyed Exit does nothing")
        dismiss_menu()
        # A double click trades the About box for the sheet.
        double_click(icon)
        wait_until(lambda: gone(app, "dialog", "About Patchwell"), "the About box to close")
        find(app, "dialog", contains=SHEET)
        # Closed through its window's close: cancelled, the program stays in the tray.
        close_window(SHEET + ".*")
        wait_until(lambda: gone_titled(app, SHEET), "the sheet to close")
        check(program.poll() is None, "Patchwell stays in the tray after its sheet")

        # The sheet again from the menu, and Exit picked under it.
        pick(open_menu(icon), "top")   # Update Configuration...
        find(app, "dialog", contains=SHEET)
        pick(open_menu(icon), "bottom")   # Exit
        ended_cleanly(machine, program, "Exit from the tray menu")
        wait_until(lambda: len(trayer.icons()) == len(before), "the icon to leave the tray")
    finally:
        stop(program)


def walk_sigterm_under_about(machine, trayer):
    before = trayer.icons()
    program = start_patchwell(machine)
    try:
        icon = trayer.icon(before)
        app = application("Patchwell")
        pick(open_menu(icon), "middle")
        find(app, "dialog", "About Patchwell")
        terminate(program)
        ended_cleanly(machine, program, "SIGTERM under the About box")
    finally:
        stop(program)


def walk_sigterm_during_download(machine, trayer):
    before = trayer.icons()
    program = start_patchwell(machine)
    try:
        icon = trayer.icon(before)
        app = application("Patchwell")
        double_click(icon)
        sheet = find(app, "dialog", contains=SHEET)
        click_node(find(sheet, "list item", ISDN))
        find(app, "dialog", SHEET + ISDN)
        press(find(sheet, "page tab", "Scheduling"))
        press(find(sheet, "push button", "Update Now..."))
        find(app, "label", contains="An update is available.", timeout=30)
        press(find(app, "push button", "Yes"))
        progress = find(app, "dialog", contains="Downloading", timeout=30)
        # The tray menu still opens beside the download; Exit waits for its end.
        pick(open_menu(icon), "bottom")
        check(program.poll() is None, "a greyed Exit does nothing during the download")
        dismiss_menu()
        check(showing(progress), "the progress window is shown")
        terminate(program)
        ended_cleanly(machine, program, "SIGTERM during the download")
        check(machine.read(PRODUCTS + ISDN, "InstalledVersion") == "1.0", "nothing was installed")
        check(24 in log_kinds(machine), "the run was logged as cancelled")
        updates = os.path.join(machine.root, "patchwell", "updates")
        left = [n for _, dirs, _ in os.walk(updates) for n in dirs if n.startswith(".staging-")]
        check(not left, "no staging folder is left: %s" % left)
    finally:
        stop(program)


def main():
    server, url = serve_sample_site()
    machine = machine_with_isdn(url)
    trayer = Trayer(machine.root)
    try:
        print("blackbox: About, the sheet and Exit through the tray")
        walk_about_and_exit(machine, trayer)
        print("blackbox: SIGTERM under the About box")
        walk_sigterm_under_about(machine, trayer)
        print("blackbox: SIGTERM during a download")
        walk_sigterm_during_download(machine, trayer)
    finally:
        trayer.stop()
        server.shutdown()


run(main)
