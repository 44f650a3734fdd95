#!/usr/bin/env python3
# GNOME's compositor, headless, with a keyboard and a pointer for the tests:
# starts mutter, opens one remote-desktop session over mutter's D-Bus API and
# keeps it (the session ends with the connection), then obeys one command a
# line on standard input, answering each with "ok" or "error ..." once done:
#   key NAME        press and release: Return, Escape, space, Shift_L, alt+b
#   type TEXT       letters, digits and spaces
#   click X Y       the left button at (X, Y) of the virtual monitor
# usage: dbus-run-session -- mutter_remote.py WIDTHxHEIGHT LOG
# It prints "ready WAYLAND_DISPLAY" once the seat has its keyboard.
import os
import subprocess
import sys
import time

from gi.repository import Gio, GLib

size, log = sys.argv[1], sys.argv[2]
mutter = subprocess.Popen(
    ["mutter", "--wayland", "--headless", "--no-x11", "--virtual-monitor", size],
    stdin=subprocess.DEVNULL, stdout=open(log, "w"), stderr=subprocess.STDOUT)
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
remote = "org.gnome.Mutter.RemoteDesktop"


def call(path, interface, method, arguments=None):
    return bus.call_sync(remote, path, interface, method, arguments, None,
                         Gio.DBusCallFlags.NONE, -1, None)


session = None
for _ in range(300):
    if mutter.poll() is not None:
        sys.exit("mutter ended at start")
    try:
        session = call("/org/gnome/Mutter/RemoteDesktop", remote, "CreateSession").unpack()[0]
        break
    except GLib.Error:
        time.sleep(0.1)
if session is None:
    sys.exit("mutter offered no remote desktop within 30 s")
call(session, remote + ".Session", "Start")

keysyms = {"Return": 0xFF0D, "Escape": 0xFF1B, "space": 0x20, "Shift_L": 0xFFE1, "alt": 0xFFE9}


def key(name):
    *modifiers, last = name.split("+")
    # mutter presses Shift itself for an upper-case keysym.
    keysym = keysyms.get(last, ord(last[0]) if len(last) == 1 else None)
    held = [keysyms[modifier] for modifier in modifiers] + [keysym]
    # The presses go out without waiting, so that a slow round trip does not
    # hold the key long enough for the program to repeat it; the last
    # release waits, and D-Bus keeps the order.
    events = [(each, True) for each in held] + [(each, False) for each in reversed(held)]
    for number, event in enumerate(events):
        arguments = GLib.Variant("(ub)", event)
        if number + 1 < len(events):
            bus.call(remote, session, remote + ".Session", "NotifyKeyboardKeysym", arguments,
                     None, Gio.DBusCallFlags.NONE, -1, None, None)
        else:
            call(session, remote + ".Session", "NotifyKeyboardKeysym", arguments)
    time.sleep(0.03)


def click(x, y):
    # Relative motion needs no screen-cast stream: into the corner, where the
    # monitor stops the pointer, then to the point.
    motion = remote + ".Session"
    call(session, motion, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (-65536.0, -65536.0)))
    call(session, motion, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(x), float(y))))
    time.sleep(0.1)
    for down in (True, False):
        call(session, motion, "NotifyPointerButton", GLib.Variant("(ib)", (0x110, down)))
        time.sleep(0.05)


# The seat takes up its keyboard with the first key, which is lost.
key("Shift_L")
runtime = os.environ["XDG_RUNTIME_DIR"]
for _ in range(100):
    sockets = [name for name in os.listdir(runtime) if name.startswith("wayland-") and not name.endswith(".lock")]
    if sockets:
        break
    time.sleep(0.1)
print("ready", os.path.join(runtime, sockets[0]) if sockets else "", flush=True)

for line in sys.stdin:
    command, _, argument = line.rstrip("\n").partition(" ")
    try:
        if command == "key":
            key(argument)
        elif command == "type":
            for character in argument:
                key(character)
        elif command == "click":
            click(*argument.split())
        else:
            raise ValueError("unknown command " + command)
        print("ok", flush=True)
    except (GLib.Error, KeyError, ValueError, TypeError) as error:
        print("error", error, flush=True)

call(session, remote + ".Session", "Stop")
mutter.terminate()
mutter.wait()
