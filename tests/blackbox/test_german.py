"""Portdeck in German from outside: three devices detected and counted, each
product screen opened with its values named by their German captions, the
ISDN TA's call log under its German name and columns, and the way back."""

import pyatspi

from blackbox import (check, current_tab, Device, exit_portdeck, find, find_all, known_serial, Machine,
                      PORTDECK_KEY, portdeck_session, press, press_when_enabled, run, table_columns, text_of,
                      wait_until)

DEVICES = [("isdnta", 1, "Varnel Brenmoor ISDN TA", "ISDN TA", "HX4711"),
           ("56k", 3, "Varnel Tallyline 56K Business Modem", "Business Modem", "TL0042"),
           ("idsl", 4, "Varnel Lumora IDSL Modem", None, "LM0404")]


def back_to_the_list(app, name):
    press_when_enabled(app, "push button", "Zurück")
    find(app, "push button", contains=name, timeout=30)


def main():
    machine = Machine()
    machine.set(PORTDECK_KEY + "\\Language", "ID", "407")
    for _, _, _, key, serial in DEVICES:
        if key:
            known_serial(machine, key, serial)
    machine.write()
    devices = [Device(machine, product, com, "--serial", serial) for product, com, _, _, serial in DEVICES]
    with portdeck_session(machine, devices, locale="de_DE.UTF-8", LANGUAGE="") as (app, portdeck):
        find(app, "label", "Anzahl gefundener Produkte: 3", timeout=90)
        # The search animation is told as one, named by the status it goes with, and stopped.
        animation = find(app, "animation", "Anzahl gefundener Produkte: 3", timeout=10)
        check(not animation.getState().contains(pyatspi.STATE_ANIMATED), "the search has stopped")
        for _, _, name, _, _ in DEVICES:
            find(app, "push button", contains=name, timeout=10)

        # The 56K modem: its values under their German captions.
        press(find(app, "push button", contains=DEVICES[1][2]))
        find(app, "label", "Seriennummer: TL0042", timeout=60)
        find(app, "label", "Supervisor-Datum: 03/10/99")
        find(app, "label", "Produkt-ID: 00517200")
        check(current_tab(find(app, "page tab", "Modeminformationen")), "the information tab is shown")
        back_to_the_list(app, DEVICES[1][2])

        # The ISDN TA: values, and the call log under its German name and columns.
        press(find(app, "push button", contains=DEVICES[0][2]))
        find(app, "label", "Seriennummer: HX4711", timeout=60)
        press(find(app, "page tab", "Anrufprotokoll"))
        memo = find(app, "table", "Anrufprotokoll: Ankommend", timeout=30)
        check(memo.description == "Anrufernummer, Anschl., Datum, Uhrzeit, Protokoll, Einheiten",
              "the German columns: %r" % memo.description)
        wait_until(lambda: "5551000" in text_of(memo), "the incoming calls", timeout=30)
        check(table_columns(memo)[1] == "Anschl.", "the German columns of the table: %r" % table_columns(memo))
        press(find(app, "radio button", "Abgehend"))
        find(app, "table", "Anrufprotokoll: Abgehend", timeout=10)
        back_to_the_list(app, DEVICES[0][2])

        # The IDSL modem.
        press(find(app, "push button", contains=DEVICES[2][2]))
        find(app, "label", "Seriennummer: LM0404", timeout=60)
        check(not find_all(app, "label", "Product Information"), "no value is named by its group")
        back_to_the_list(app, DEVICES[2][2])

        exit_portdeck(app, portdeck, "Beenden")


run(main)
