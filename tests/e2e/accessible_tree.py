#!/usr/bin/python3
"""Program PID as a screen reader reads it: `main` checks the main window's
names and hears the bubble, `report` prints the report window's text, `press`
presses "X" through its action. A failed check exits with the reason."""
import sys
import time

import pyatspi
from gi.repository import GLib

MAIN, REPORT, END = "Rirezavezerivadur", "Hier ist Ihre Quendra", {"Programm beenden"}
FACES = {"Der Professor schaut freundlich", "Der Professor lacht", "Der Professor schaut böse"}
SENTENCES = {"Hallo ich bin Professor Zuz Zarnok", "Ich kann Dir alle möglichen Sachen ausrechnen",
             "Drück nur irgendeine Taste und los gehts"}


def below(node):
    for child in filter(None, node):
        yield child
        yield from below(child)


def window(title):
    for _ in range(100):
        for app in filter(lambda a: a and a.get_process_id() == int(sys.argv[1]), pyatspi.Registry.getDesktop(0)):
            for node in filter(lambda n: n and n.name.startswith(title), app):
                return node
        time.sleep(0.2)
    sys.exit(f"no window {title!r} on the accessibility bus")


def control(role, name, descriptions):
    for node in below(window(MAIN)):
        if (node.getRole(), node.name) == (role, name) and node.description in descriptions:
            return node
    sys.exit(f"no {role} {name!r} described as one of {descriptions}")


def press(node, now=False):
    actions = node.queryAction()
    names = [actions.getName(i).lower() for i in range(actions.nActions)]
    "press" in names or sys.exit(f"{node.name!r} offers no press action, only {names}")
    now and actions.doAction(names.index("press"))


def check_main():
    control(pyatspi.ROLE_IMAGE, "Titelbild",
            {"Quendra – Deine persönliche Geburtstagsanalyse, mit Luftballons und Geburtstagskuchen"})
    control(pyatspi.ROLE_IMAGE, "Professor Zuz Zarnok", FACES)
    press(control(pyatspi.ROLE_PUSH_BUTTON, "X", END))
    press(control(pyatspi.ROLE_PUSH_BUTTON, "Deine persönliche Geburtstag-Quendra von Professor ZUZ Zarnok", END))
    # Each sentence reaches the reader once, whole, when it is typed out.
    heard, loop = [], GLib.MainLoop()

    def on_name(event):
        if event.source.getRole() == pyatspi.ROLE_LABEL:
            heard.append(event.source.name)
            len(heard) < 2 or loop.quit()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    GLib.timeout_add_seconds(25, loop.quit)
    loop.run()
    if len(heard) < 2 or not SENTENCES.issuperset(heard) or heard[0] == heard[1]:
        sys.exit(f"the bubble announced {heard} within 25 s, not two whole sentences")


def report():
    sheets = [n for n in below(window(REPORT)) if "Text" in pyatspi.listInterfaces(n)]
    sheets or sys.exit("the report window holds no text")
    text = sheets[0].queryText()
    whole = text.getText(0, -1)
    first = text.getTextAtOffset(text.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
    first.rstrip("\n") == whole.split("\n")[0] or sys.exit(f"a reader starts at {first!r}")
    print(whole)


{"main": check_main, "report": report,
 "press": lambda: press(control(pyatspi.ROLE_PUSH_BUTTON, "X", END), now=True)}[sys.argv[2]]()
