"""Patchwell on a desktop that shows tray icons through the D-Bus
StatusNotifier protocol: a watcher on the test's session bus, this test as
the host that shows the items. The item is found among the watcher's
registered items, activated (the sheet opens), its menu driven over D-Bus
(About, Exit greyed under it, Exit), and SIGTERM sent under the sheet; each
program ends cleanly with the engine unregistered and its item gone."""

from blackbox import application, check, find, find_all, run, wait_until
from patchwell_desktop import SHEET, ended_cleanly, machine_with_isdn, registered, start_patchwell, stop, terminate
from trayhost import StatusNotifierHost


def shown(app, title=None, contains=None):
    return bool(find_all(app, "dialog", title, contains))


def walk_menu_and_exit(machine, host):
    program = start_patchwell(machine)
    try:
        item = host.item("Patchwell")
        app = application("Patchwell")
        wait_until(lambda: registered(machine), "the engine to be registered")
        host.activate(item)
        find(app, "dialog", contains=SHEET)
        host.click(item, "About Patchwell...")
        find(app, "dialog", "About Patchwell")
        check(not host.menu(item)["Exit"][1], "Exit is greyed while the About box is open")
        # Activated again: the About box goes, the sheet stays.
        host.activate(item)
        wait_until(lambda: not shown(app, "About Patchwell"), "the About box to close")
        check(shown(app, contains=SHEET), "the sheet is still shown")
        check(host.menu(item)["Exit"][1], "Exit is offered again")
        host.click(item, "Exit")
        ended_cleanly(machine, program, "Exit from the D-Bus menu")
        wait_until(lambda: not any(item[0] in entry for entry in host.items()), "the item to leave the watcher")
    finally:
        stop(program)


def walk_sigterm_under_the_sheet(machine, host):
    program = start_patchwell(machine)
    try:
        item = host.item("Patchwell")
        app = application("Patchwell")
        host.click(item, "Update Configuration...")
        find(app, "dialog", contains=SHEET)
        terminate(program)
        ended_cleanly(machine, program, "SIGTERM under the sheet opened from the D-Bus menu")
    finally:
        stop(program)


def main():
    machine = machine_with_isdn("http://127.0.0.1:9/nothing-here")
    host = StatusNotifierHost(machine.root)
    try:
        print("blackbox: Patchwell's StatusNotifier item activated, its menu driven over D-Bus")
        walk_menu_and_exit(machine, host)
        print("blackbox: SIGTERM under the sheet")
        walk_sigterm_under_the_sheet(machine, host)
    finally:
        host.stop()


run(main)
