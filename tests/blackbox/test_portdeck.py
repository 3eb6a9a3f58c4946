"""Portdeck from outside, on three emulated devices: the detection, each
product screen and the way back, then Patchwell opened by the 56K modem's
Patchwell button with that product on its Scheduling tab, an interval saved,
and Portdeck going on once Patchwell has ended."""

import os

from blackbox import (application, BIN, check, current_tab, Device, enabled, Failure, find, find_all,
                      Machine, portdeck_session, press, run, text_of, type_into, wait_until)

DEVICES = [("isdnta", 1, "Varnel Brenmoor ISDN TA"), ("56k", 3, "Varnel Tallyline 56K Business Modem"),
           ("idsl", 4, "Varnel Lumora IDSL Modem")]
PRODUCTS = "Software\\Varnel\\Patchwell\\Products\\"


def device_button(window, name):
    return find(window, "push button", contains=name, timeout=60)


def back_to_the_list(app, name):
    """Back, as often as it takes: a first-time product opens its welcome page
    on top of the product screen."""
    for _ in range(4):
        back = find(app, "push button", "Back", timeout=60)
        wait_until(lambda: enabled(back), "Back to be enabled on the %s screen" % name, timeout=60)
        press(back)
        try:
            wait_until(lambda: find_all(app, "push button", contains=name), "the device list", timeout=5)
            return
        except Exception:
            continue
    raise Failure("Back never led from the %s screen to the device list" % name)


def main():
    machine = Machine()
    machine.set("Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "409")
    machine.set("Software\\Varnel\\Tallyline\\Portdeck\\Language", "SubLanguage", "US English")
    # Patchwell installed beside Portdeck, as an installer records it.
    machine.set(PRODUCTS + "Patchwell", "InstallDirectory", os.path.abspath(BIN))
    machine.write()
    devices = [Device(machine, product, com) for product, com, _ in DEVICES]
    with portdeck_session(machine, devices) as (app, portdeck):
        for _, com, name in DEVICES:
            device_button(app, name)
        for _, com, name in DEVICES:
            press(device_button(app, name))
            find(app, "label", "Serial Number:", timeout=60)
            back_to_the_list(app, name)

        # Patchwell for the 56K modem.
        press(device_button(app, DEVICES[1][2]))
        update = find(app, "push button", "Patchwell", timeout=60)
        wait_until(lambda: enabled(update), "the Patchwell button to be enabled", timeout=60)
        press(update)
        patchwell = application("Patchwell", timeout=30)
        sheet = find(patchwell, "dialog", "Patchwell - " + DEVICES[1][2], timeout=30)
        tab = find(sheet, "page tab", "Scheduling")
        wait_until(lambda: current_tab(tab), "the Scheduling tab to be shown", timeout=10)
        interval = find(sheet, "text", "Check for updates every this many days (1 to 365):")
        type_into(interval, "9")
        wait_until(lambda: text_of(interval) == "9", "the interval to read 9")
        press(find(sheet, "push button", "Close"))
        # Portdeck takes its port back and offers its tools again.
        update = find(app, "push button", "Patchwell", timeout=60)
        wait_until(lambda: enabled(update), "Portdeck to go on after Patchwell", timeout=60)
        check(machine.read(PRODUCTS + DEVICES[1][2], "UpdateInterval") == 9, "the interval is stored")

        press(find(app, "push button", "Exit"))
        wait_until(lambda: portdeck.poll() is not None, "Portdeck to end", timeout=60)


run(main)
