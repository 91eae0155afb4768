#!/usr/bin/env python3
"""A tray that comes after the program, goes, and comes back.

Under Xvfb with openbox and a private D-Bus session the real program starts
with no tray, so its main window shows; a watcher registers two seconds later:
the icon must come to it and the window go. Shown from the menu while another
program has the focus, the window must come to the front with the focus;
closed with openbox's close, it hides and the program runs on. The watcher
goes and a new one comes: the icon must come to it.
   late_host_test.py TALLIX
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (TrayItem, Watcher, finish, main, need, on_desktop_bus, program_folder,  # noqa: E402
                           pump, session_bus, shown_window, start_program, stop)

LATE = 2.0  # seconds between the program's start and the tray's


def outer(tallix):
    need("xdotool", "xmessage", "py:dbus", "py:gi.repository.GLib")
    on_desktop_bus(tallix)


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True).stdout.split()


def on_bus(tallix):
    bus = session_bus()
    program, failures = None, []
    with tempfile.TemporaryDirectory(prefix="tallix-late-") as work:
        try:
            started = time.monotonic()
            program = start_program(program_folder(work, tallix), "xcb")
            if not pump(20, lambda: shown_window(program.pid)):
                sys.exit("FAILED: with no tray the main window did not show")
            pump(max(0.0, started + LATE - time.monotonic()))
            watcher = Watcher(bus)
            if not pump(20, lambda: watcher.items):
                sys.exit("FAILED: the icon did not come to a tray that registered %.0f s after the start" % LATE)
            tray = TrayItem(bus, watcher)
            if not any(tray.pictures()):
                failures.append("the item came without a picture")
            if pump(10, lambda: shown_window(program.pid) is None) is not True:
                failures.append("the window shown for want of a tray stayed when the tray came")

            tray.choose("Show")
            window = pump(10, lambda: shown_window(program.pid))
            if window is None:
                failures.append("Show from the late tray's menu showed no window")
            else:
                other = subprocess.Popen(["xmessage", "-center", "another program"], stderr=subprocess.DEVNULL)
                others = pump(10, lambda: xdotool("search", "--onlyvisible", "--pid", str(other.pid)))
                if others:
                    xdotool("windowactivate", "--sync", others[0])
                tray.choose("Show")
                if not pump(10, lambda: xdotool("getactivewindow") == [window]):
                    failures.append("Show left the focus with another program's window")
                stop(other)
                xdotool("windowactivate", "--sync", window, "key", "--clearmodifiers", "alt+F4")
                if pump(10, lambda: shown_window(program.pid) is None) is not True:
                    failures.append("closing the window did not hide it")
                pump(1)

            bus.release_name("org.kde.StatusNotifierWatcher")
            pump(1)
            del watcher.items[:]
            bus.request_name("org.kde.StatusNotifierWatcher")
            if not pump(20, lambda: watcher.items):
                failures.append("the icon did not come back to a tray that went and came back")
            if program.poll() is not None:
                failures.append("the program ended with status %d" % program.returncode)
        finally:
            stop(program)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
