#!/usr/bin/env python3
# A screenshot of KWin's whole workspace through its ScreenShot2 D-Bus API,
# written to standard output as a PAM picture. KWin sends the pixels down a
# pipe, as 32-bit words of blue, green, red and alpha in memory.
# usage: kwin_shot.py > shot.pam   (in KWin's D-Bus session)
import os
import sys
import threading

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
reader, writer = os.pipe()
pixels = bytearray()


def read_all():
    with os.fdopen(reader, "rb") as pipe:
        pixels.extend(pipe.read())


# KWin may fill the pipe before it answers, so it is emptied meanwhile.
thread = threading.Thread(target=read_all, daemon=True)
thread.start()
fds = Gio.UnixFDList.new()
fds.append(writer)
os.close(writer)
answer, _ = bus.call_with_unix_fd_list_sync(
    "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureWorkspace",
    GLib.Variant("(a{sv}h)", ({}, 0)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, 10000,
    fds, None)
for fd in fds.steal_fds():  # our last copy of the writing end: the reader sees its end
    os.close(fd)
thread.join()
results = answer.unpack()[0]
width, height, stride = results["width"], results["height"], results["stride"]
rows = b"".join(pixels[y * stride:y * stride + width * 4] for y in range(height))
rgba = bytearray(len(rows))
rgba[0::4], rgba[1::4], rgba[2::4], rgba[3::4] = rows[2::4], rows[1::4], rows[0::4], rows[3::4]
sys.stdout.buffer.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                        % (width, height) + rgba)
