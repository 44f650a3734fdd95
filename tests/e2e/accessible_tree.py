#!/usr/bin/python3
"""Reads the running program as a screen reader does, through pyatspi on the
accessibility bus of the caller's session.

usage: accessible_tree.py PID main     names of the main window's controls,
                                       then the bubble's announcements
       accessible_tree.py PID report   prints the report window's text
       accessible_tree.py PID press    presses the "X" through its action
Exits 1 with the reason on standard error when a check fails.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

# What the professor says first, without the trailing blanks that pace him.
SENTENCES = {
    "Hallo ich bin Professor Zuz Zarnok",
    "Ich kann Dir alle möglichen Sachen ausrechnen",
    "Drück nur irgendeine Taste und los gehts",
}
BUBBLE_AT_REST = "Sprechblase des Professors"
TITLE = "Deine persönliche Geburtstag-Quendra von Professor ZUZ Zarnok"


def fail(reason):
    print(f"accessible_tree: {reason}", file=sys.stderr)
    sys.exit(1)


def program(pid):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    fail(f"no application with process {pid} on the accessibility bus")


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def find(root, role, name):
    for node in descendants(root):
        if node.getRole() == role and node.name == name:
            return node
    return None


def tree(root):
    return "\n".join(f"  [{n.getRoleName()}] {n.name!r} {n.description!r}" for n in descendants(root))


def window(app, title):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        for node in app:
            if node is not None and node.name.startswith(title):
                return node
        time.sleep(0.2)
    fail(f"no window \"{title}\"; the tree:\n{tree(app)}")


def expect_control(root, role, name, description):
    node = find(root, role, name)
    if node is None:
        fail(f"no {role} named \"{name}\"; the tree:\n{tree(root)}")
    if node.description != description:
        fail(f"\"{name}\" is described as \"{node.description}\", expected \"{description}\"")
    return node


def press_action(node):
    actions = node.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index).lower() == "press":
            return actions, index
    names = [actions.getName(index) for index in range(actions.nActions)]
    fail(f"\"{node.name}\" offers no press action, only {names}")


def check_main(app):
    main = window(app, "Rirezavezerivadur")
    expect_control(main, pyatspi.ROLE_IMAGE, "Titelbild",
                   "Quendra – Deine persönliche Geburtstagsanalyse, mit Luftballons und Geburtstagskuchen")
    face = find(main, pyatspi.ROLE_IMAGE, "Professor Zuz Zarnok")
    if face is None or not face.description.startswith("Der Professor "):
        fail(f"the professor's face is not named and described; the tree:\n{tree(main)}")
    for name in ("X", TITLE):
        press_action(expect_control(main, pyatspi.ROLE_PUSH_BUTTON, name, "Programm beenden"))

    # Each sentence reaches the reader once, whole, when it is typed out.
    heard = []
    loop = GLib.MainLoop()

    def on_name(event):
        if event.source.getRole() == pyatspi.ROLE_LABEL and event.host_application.get_process_id() == app.get_process_id():
            heard.append(event.source.name)
            if len(heard) >= 2:
                loop.quit()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    GLib.timeout_add_seconds(25, loop.quit)
    loop.run()
    pyatspi.Registry.deregisterEventListener(on_name, "object:property-change:accessible-name")
    if len(heard) < 2:
        fail(f"the bubble announced {heard} within 25 s, expected two sentences")
    for earlier, name in zip([None] + heard, heard):
        if name not in SENTENCES:
            fail(f"the bubble announced \"{name}\", not a whole sentence; heard {heard}")
        if name == earlier:
            fail(f"the bubble announced \"{name}\" twice; heard {heard}")
    print(f"main window named and described; the bubble announced {heard}")


def report(app):
    sheet = None
    for node in descendants(window(app, "Hier ist Ihre Quendra")):
        if "Text" in pyatspi.listInterfaces(node):
            sheet = node
    if sheet is None:
        fail("the report window holds no text")
    text = sheet.queryText()
    # A reader coming to the sheet starts with the first line.
    first, _, _ = text.getTextAtOffset(text.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)
    whole = text.getText(0, -1)
    if first.rstrip("\n") != whole.split("\n")[0]:
        fail(f"a reader starts at \"{first}\", not at the first line")
    print(whole)


def press(app):
    label = find(window(app, "Rirezavezerivadur"), pyatspi.ROLE_PUSH_BUTTON, "X")
    if label is None:
        fail("no \"X\" to press")
    actions, index = press_action(label)
    actions.doAction(index)


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("main", "report", "press"):
        fail(__doc__)
    app = program(int(sys.argv[1]))
    {"main": check_main, "report": report, "press": press}[sys.argv[2]](app)


main()
