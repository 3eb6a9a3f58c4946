"""The ISDN TA's configuration from outside, in English and in German: Portdeck
started on an emulated ISDN TA, its Configuration Manager opened, the caller
ID of phone port 1 switched on the Voice page and saved; the device's
transcript shows the command line for it, and the page shows the new value
after the screen was left and opened again. Then the ISDN Line Wizard: the
numbers typed on its first page, its detection page reached and stopped,
and the wizard left with Back."""

import time

from blackbox import (accessibility_ready, check, checked, current_tab, Device, enabled, find, find_all,
                      Machine, portdeck_session, press, run, text_of, type_into, wait_until)

ISDN = "Varnel Brenmoor ISDN TA"
COM = 1

TEXTS = {
    "en": dict(language="409", locale="en_US.UTF-8", config="Configuration Manager", wizard="ISDN Line Wizard",
               back="Back", exit="Exit", advanced="Advanced Configuration...", voice="Voice", save="Save",
               caller_id="Caller ID, Phone Port 1", saved="Modem Configured Successfully!", ok="OK",
               area="Area Code:", number1="Telephone Number 1:", next="Next >", stop="Stop",
               aborted="SPID Wizard Aborted!"),
    "de": dict(language="407", locale="de_DE.UTF-8", config="Konfiguration", wizard="ISDN-Assistent",
               back="Zurück", exit="Beenden", advanced="Erweiterte Konfiguration...", voice="Sprache",
               save="Speichern", caller_id="Rufnummernanzeige, Telefonanschluss 1",
               saved="Das Modem wurde erfolgreich konfiguriert!", ok="OK", area="Vorwahl:",
               number1="Rufnummer 1:", next="Weiter >", stop="Stopp", aborted="SPID-Assistent abgebrochen!"),
}


def received(transcript):
    """The command lines the device received, in order."""
    with open(transcript, errors="replace") as f:
        return [line[2:].rstrip("\n") for line in f if line.startswith("> ")]


def usable(app, role, name, timeout=60):
    """A control that is shown and enabled (the form is disabled while it reads)."""
    node = find(app, role, name, timeout=timeout)
    wait_until(lambda: enabled(node), "%s %r to be enabled" % (role, name), timeout=timeout)
    return node


def open_voice_page(app, t):
    press(usable(app, "push button", t["config"]))
    press(usable(app, "push button", t["advanced"]))
    tab = wait_until(lambda: [n for n in find_all(app, "page tab") if n.name.strip() == t["voice"]],
                     "the %r tab" % t["voice"], timeout=30)[0]
    press(tab)
    wait_until(lambda: current_tab(tab), "the Voice page to be shown", timeout=10)
    return usable(app, "check box", t["caller_id"])


def leave_to_product_screen(app, t):
    back = usable(app, "push button", t["back"])
    press(back)
    usable(app, "push button", t["config"])


def one_language(language):
    t = TEXTS[language]
    machine = Machine()
    machine.set("Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", t["language"])
    machine.write()
    device = Device(machine, "isdnta", COM)
    transcript = device.log
    accessibility_ready()
    told = lambda: "the device received: %s" % received(transcript)[-20:]
    with portdeck_session(machine, [device], told, locale=t["locale"], LANGUAGE="") as (app, portdeck):
        started = time.monotonic()
        press(find(app, "push button", contains=ISDN, timeout=60))
        caller_id = open_voice_page(app, t)
        was = checked(caller_id)
        before = len(received(transcript))
        press(caller_id)
        wait_until(lambda: checked(caller_id) != was, "the caller ID box to change", timeout=10)
        press(usable(app, "push button", t["save"]))
        message = find(app, "label", contains=t["saved"], timeout=60)
        check(message is not None, "the save is reported")
        press(find(app, "push button", t["ok"]))

        wanted = "AT#I1=%d\\r" % (0 if was else 1)
        lines = wait_until(lambda: "at&w\\r" in received(transcript)[before:] and received(transcript)[before:],
                           "the profile to be stored", timeout=30)
        check(wanted in lines, "the device received %s, got %s" % (wanted, lines))
        check(lines.index(wanted) < lines.index("at&w\\r"), "the setting is sent before it is stored")

        # Left and opened again: the page reads the device afresh and shows the new value.
        leave_to_product_screen(app, t)
        caller_id = open_voice_page(app, t)
        check(checked(caller_id) != was, "the caller ID box shows the saved value after reopening")
        leave_to_product_screen(app, t)

        # The line wizard: the numbers typed, Next to the detection page, Stop
        # back to the first page, and Back leaves it.
        press(usable(app, "push button", t["wizard"]))
        area = usable(app, "text", t["area"])
        number1 = usable(app, "text", t["number1"])
        type_into(area, "303")
        type_into(number1, "5551234")
        wait_until(lambda: text_of(area) == "303" and text_of(number1) == "5551234", "the numbers to be typed")
        before = len(received(transcript))
        press(usable(app, "push button", t["next"]))
        press(usable(app, "push button", t["stop"]))
        find(app, "label", contains=t["aborted"], timeout=30)
        press(find(app, "push button", t["ok"]))
        usable(app, "text", t["area"])
        lines = received(transcript)[before:]
        check(any(line.lower().startswith("at*z303,5551234") for line in lines), "the device received the SPID numbers, got %s" % lines)
        check("AT*z\\r" in lines, "the device received the wizard's stop, got %s" % lines)
        leave_to_product_screen(app, t)

        press(find(app, "push button", t["exit"]))
        wait_until(lambda: portdeck.poll() is not None, "Portdeck to end", timeout=60)
        print("blackbox: quillon %s took %.1f s" % (language, time.monotonic() - started))


def main():
    for language in ("en", "de"):
        one_language(language)


run(main)
