"""The ISDN TA's call log from outside: its screen opened, the product
information read by the names of the values, the "Call Log" tab chosen, the
incoming and outgoing lists read back as tables under their column names and
as text, and compared with what the device sent."""

import re

from blackbox import (check, current_tab, Device, english, exit_portdeck, find, find_all, known_serial,
                      Machine, portdeck_session, press, run, table_columns, table_rows, text_of, wait_until)

SERIAL = "HX4711"
NAME = "Varnel Brenmoor ISDN TA"


def rows(memo):
    return [line.rstrip() for line in text_of(memo).splitlines() if line.strip()]


def cells(line):
    """A device line cut where it leaves two or more blanks, padded to six columns."""
    parts = re.split(r"\s{2,}", line.strip())
    return parts + [""] * (6 - len(parts))


def device_rows(device, start):
    """The rows of a list as the device printed it: after its start line, up to "OK"."""
    replies = device.replies()
    head = replies.index(start + "\r\n") + len(start) + 2
    body = replies[head:replies.index("OK", head)]
    return [line.rstrip() for line in body.split("\r\n") if line.strip()]


def main():
    machine = Machine()
    english(machine)
    known_serial(machine, "ISDN TA", SERIAL)
    machine.write()
    device = Device(machine, "isdnta", 1, "--serial", SERIAL)
    with portdeck_session(machine, [device]) as (app, portdeck):
        press(find(app, "push button", contains=NAME, timeout=60))
        # The values are named by their captions.
        find(app, "label", "Serial Number: " + SERIAL, timeout=60)
        check(not find_all(app, "label", "Product Information"), "no value is named by its group")
        info = find(app, "page tab", "Modem Information")
        tab = find(app, "page tab", "Call Log")
        check(current_tab(info), "the information tab is shown first")
        press(tab)
        memo = find(app, "table", "Call Log: Incoming", timeout=20)
        check(memo.description == "Calling Number, Port, Date, Time, Protocol, Charge Units",
              "the columns are told: %r" % memo.description)
        check(table_columns(memo) == ["Calling Number", "Port", "Date", "Time", "Protocol", "Charge Units"],
              "the table's columns: %r" % table_columns(memo))
        wait_until(lambda: len(rows(memo)) >= 1, "the incoming calls", timeout=30)
        wait_until(lambda: "ati17\r" in device.received(), "the outgoing calls to be asked for", timeout=30)
        incoming = device_rows(device, "Type")
        check(rows(memo) == incoming, "incoming rows %r, device %r" % (rows(memo), incoming))
        check(table_rows(memo) == [cells(line) for line in incoming], "incoming cells %r" % table_rows(memo))

        outgoing_radio = find(app, "radio button", "Outgoing")
        press(outgoing_radio)
        memo = find(app, "table", "Call Log: Outgoing", timeout=20)
        check(memo.description.startswith("Called Number, "), "the outgoing columns: %r" % memo.description)
        outgoing = device_rows(device, "Charge-Info")
        wait_until(lambda: rows(memo) == outgoing, "the outgoing rows %r" % outgoing, timeout=20)
        wait_until(lambda: table_rows(memo) == [cells(line) for line in outgoing],
                   "the outgoing cells %r" % [cells(line) for line in outgoing], timeout=10)
        check(table_columns(memo)[0] == "Called Number", "the outgoing number column")

        # Back to the first tab and the call log again: the device is not asked twice.
        press(info)
        wait_until(lambda: current_tab(info), "the information tab", timeout=10)
        press(find(app, "page tab", "Call Log"))
        find(app, "table", "Call Log: Outgoing", timeout=20)
        check(device.received().count("ati18\r") == 1, "the incoming calls are read once")
        exit_portdeck(app, portdeck)


run(main)
