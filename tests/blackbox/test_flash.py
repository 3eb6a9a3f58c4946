"""A flash from disk from outside: the 56K modem's Flash From Disk screen, the
firmware file named in the file dialog by typing its path, Update confirmed in
the box, the device's reset waited out, the result announced in a box that
reads the new firmware date, and the device's transcript showing the image
taken; Back reads the new date onto the product screen."""

import os
import random

from blackbox import (check, Device, english, exit_portdeck, find, find_all, known_serial, Machine,
                      portdeck_session, press, press_when_enabled, run, type_into, wait_until)

SERIAL = "TL0077"
NAME = "Varnel Tallyline 56K Business Modem"
DATE = "05/01/00"
DONE = "The firmware was updated. The device now reports firmware date %s." % DATE


def firmware(path, size):
    rng = random.Random(7)
    data = ("VARNEL-FW 5172 %s\r\n" % DATE).encode()
    data += bytes(rng.randrange(256) for _ in range(size - len(data)))
    with open(path, "wb") as f:
        f.write(data)
    return len(data)


def box_with(app, text, timeout):
    """The message box (an alert named by the screen's title) that reads text."""
    def look():
        for box in find_all(app, "alert", "Flash From Disk"):
            if find_all(box, "label", contains=text):
                return box
        return None
    return wait_until(look, "a box reading %r" % text, timeout)


def main():
    machine = Machine()
    english(machine)
    known_serial(machine, "Business Modem", SERIAL)
    machine.write()
    image = os.path.join(machine.root, "fw5172.bin")
    size = firmware(image, 3000)
    device = Device(machine, "56k", 3, "--serial", SERIAL)
    with portdeck_session(machine, [device], on_failure=lambda: "the device's transcript ends: %r" % device.transcript()[-8:]) as (app, portdeck):
        press(find(app, "push button", contains=NAME, timeout=60))
        find(app, "label", "Serial Number: " + SERIAL, timeout=60)
        press_when_enabled(app, "push button", "Flash From Disk")
        find(app, "label", contains="Product: " + NAME, timeout=30)

        press_when_enabled(app, "push button", "Browse...")
        dialog = find(app, "dialog", "Select Firmware File", timeout=30)
        type_into(find(dialog, "text", "File name:"), image)
        press_when_enabled(dialog, "push button", "Open", timeout=10)
        find(app, "label", contains="Firmware for product 5172, dated %s" % DATE, timeout=30)

        press_when_enabled(app, "push button", "Update")
        question = box_with(app, "Load the firmware dated %s into the device now?" % DATE, timeout=30)
        press(find(question, "push button", "Yes"))
        # The result is announced in a box, and stays on the screen's status line.
        box = box_with(app, DONE, timeout=120)
        press(find(box, "push button", "OK"))
        find(app, "label", DONE, timeout=10)
        check(any("firmware image of %d bytes accepted, date %s" % (size, DATE) in line
                  for line in device.transcript()), "the device took the image")
        check("AT~D\r" in device.received(), "the device was put in download mode")

        press_when_enabled(app, "push button", "Back")
        find(app, "label", contains=DATE, timeout=60)
        exit_portdeck(app, portdeck)


run(main)
