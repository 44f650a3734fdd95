#!/usr/bin/python3
"""The running program PID as a screen reader reads it, over the session's
accessibility bus: `main` checks the main window's names and the bubble's
announcements, `report` prints the report window's text, `press` presses "X"
through its action. A failed check exits 1 with the reason."""
import sys
import time

import pyatspi
from gi.repository import GLib

SENTENCES = {"Hallo ich bin Professor Zuz Zarnok", "Ich kann Dir alle möglichen Sachen ausrechnen",
             "Drück nur irgendeine Taste und los gehts"}
TITLE = "Deine persönliche Geburtstag-Quendra von Professor ZUZ Zarnok"


def fail(reason):
    sys.exit(f"accessible_tree: {reason}")


def below(node):
    for child in filter(None, node):
        yield child
        yield from below(child)


def window(title):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        for app in filter(None, pyatspi.Registry.getDesktop(0)):
            if app.get_process_id() == int(sys.argv[1]):
                for node in filter(lambda n: n and n.name.startswith(title), app):
                    return node
        time.sleep(0.2)
    fail(f"no window \"{title}\" on the accessibility bus")


def control(root, role, name, *descriptions):
    for node in below(root):
        if (node.getRole(), node.name) == (role, name) and node.description in descriptions:
            return node
    fail(f"no {role} \"{name}\" described as one of {descriptions} among:\n" +
         "\n".join(f"{n.getRoleName()} {n.name!r} {n.description!r}" for n in below(root)))


def press_action(node):
    actions = node.queryAction()
    names = [actions.getName(i).lower() for i in range(actions.nActions)]
    "press" in names or fail(f"\"{node.name}\" offers {names}, no press action")
    return lambda: actions.doAction(names.index("press"))


def check_main():
    main = window("Rirezavezerivadur")
    control(main, pyatspi.ROLE_IMAGE, "Titelbild",
            "Quendra – Deine persönliche Geburtstagsanalyse, mit Luftballons und Geburtstagskuchen")
    control(main, pyatspi.ROLE_IMAGE, "Professor Zuz Zarnok", *(f"Der Professor {face}" for face in
            ("schaut freundlich", "lacht", "schaut böse")))
    for name in ("X", TITLE):
        press_action(control(main, pyatspi.ROLE_PUSH_BUTTON, name, "Programm beenden"))
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
        fail(f"the bubble announced {heard} within 25 s, not two whole sentences")
    print(f"named and described; the bubble announced {heard}")


def report():
    sheets = [n for n in below(window("Hier ist Ihre Quendra")) if "Text" in pyatspi.listInterfaces(n)]
    sheets or fail("the report window holds no text")
    text = sheets[0].queryText()
    whole = text.getText(0, -1)
    first = text.getTextAtOffset(text.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
    first.rstrip("\n") == whole.split("\n")[0] or fail(f"a reader starts at \"{first}\"")
    print(whole)


{"main": check_main, "report": report,
 "press": lambda: press_action(control(window("Rirezavezerivadur"), pyatspi.ROLE_PUSH_BUTTON, "X",
                                       "Programm beenden"))()}[sys.argv[2]]()
