"""The terminal from outside: opened from the 56K modem's screen, local echo
turned on, a command typed on the keyboard into its screen, the device's
answer read back from the screen's text, and the command found in the
device's transcript."""

from blackbox import (check, checked, Device, english, exit_portdeck, find, find_all, focus, known_serial,
                      Machine, portdeck_session, press, press_when_enabled, run, text_of, type_keys,
                      wait_until)

SERIAL = "TL0042"
NAME = "Varnel Tallyline 56K Business Modem"


def main():
    machine = Machine()
    english(machine)
    known_serial(machine, "Business Modem", SERIAL)
    machine.write()
    device = Device(machine, "56k", 3, "--serial", SERIAL)
    with portdeck_session(machine, [device]) as (app, portdeck):
        press(find(app, "push button", contains=NAME, timeout=60))
        find(app, "label", "Serial Number: " + SERIAL, timeout=60)
        press_when_enabled(app, "push button", "Terminal")
        screen = find(app, "text", "Terminal: 56K Business Modem", timeout=30)
        # The device does not echo (detection turned that off): local echo shows what is typed.
        echo = find(app, "check box", "Local echo")
        press(echo)
        wait_until(lambda: checked(echo), "local echo to be on", timeout=10)
        focus(screen)
        before = len(device.received())
        type_keys("ATI7\r")
        wait_until(lambda: "Serial Number" in text_of(screen) and text_of(screen).rstrip().endswith("OK"),
                   "the answer on the screen", timeout=30)
        text = text_of(screen)
        check(text.startswith("ATI7\n"), "the typed command comes first: %r" % text)
        check(SERIAL in text, "the serial number is on the screen")
        check(device.received()[before:] == ["ATI7\r"], "the device received %r" % device.received()[before:])

        # Back leaves the terminal for the product screen.
        press_when_enabled(app, "push button", "Back")
        wait_until(lambda: not find_all(app, "text", "Terminal: 56K Business Modem"), "the terminal to go",
                   timeout=30)
        find(app, "label", "Serial Number: " + SERIAL, timeout=30)
        exit_portdeck(app, portdeck)


run(main)
