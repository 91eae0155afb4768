#!/usr/bin/env python3
"""A tray that comes after the program, goes, and comes back.

Under Xvfb with openbox and a private D-Bus session, the real program starts
with no tray: its main window shows. Two seconds later a StatusNotifierWatcher
registers: the program's icon must come to it and the window must go. Shown
again from the icon's menu while another program has the focus, the window
must come to the front with the focus; closed with openbox's close, it hides
and the program keeps running. Then the watcher goes and a new one comes: the
icon must come to the new one.
   late_host_test.py TALLIX
"""
import os
import subprocess
import sys
import tempfile
import shutil
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "desktop"))
from desktop_session import Desktop, need, program_folder, report, run, skip  # noqa: E402

LATE = 2.0  # seconds between the program's start and the tray's


def outer(tallix):
    need("dbus-run-session", "xdotool", "xprop")
    try:
        import dbus  # noqa: F401
        from gi.repository import GLib  # noqa: F401
    except ImportError as missing:
        skip("python3-dbus or python3-gi is not installed (%s)" % missing)
    desktop = Desktop()
    try:
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, "--on-bus", tallix]))
    finally:
        desktop.close()


def shown_window(pid):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--class", "tallix"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def active_window():
    return subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True).stdout.strip()


def on_bus(tallix):
    import dbus
    import dbus.mainloop.glib
    from sni_host_test import Watcher, pump

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    work = tempfile.mkdtemp(prefix="tallix-late-")
    program = None
    failures = []
    try:
        folder = program_folder(work, tallix)
        started = time.monotonic()
        program = subprocess.Popen([os.path.join(folder, "tallix")], cwd=folder,
                                   env=dict(os.environ, QT_QPA_PLATFORM="xcb"))
        if not pump(20, lambda: shown_window(program.pid)):
            sys.exit("FAILED: with no tray the main window did not show")
        pump(max(0.0, started + LATE - time.monotonic()))
        watcher = Watcher(bus)
        if not pump(20, lambda: watcher.items):
            sys.exit("FAILED: the icon did not come to a tray that registered %.0f s after the start" % LATE)
        item = bus.get_object(watcher.items[0], "/StatusNotifierItem")
        properties = dbus.Interface(item, dbus.PROPERTIES_IFACE)
        if not any(bytes(p[2]) for p in properties.Get("org.kde.StatusNotifierItem", "IconPixmap")):
            failures.append("the item came without a picture")
        if pump(10, lambda: shown_window(program.pid) is None) is not True:
            failures.append("the window shown for want of a tray stayed when the tray came")

        # Shown from the menu and closed: hidden, and the program goes on.
        menu_path = properties.Get("org.kde.StatusNotifierItem", "Menu")
        menu = dbus.Interface(bus.get_object(watcher.items[0], menu_path), "com.canonical.dbusmenu")
        _, layout = menu.GetLayout(0, -1, ["label"])
        ids = {str(child[1].get("label", "")).strip(): child[0] for child in layout[2]}
        def show():
            menu.Event(ids["Show"], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
            return pump(10, lambda: shown_window(program.pid))

        window = show()
        if window is None:
            failures.append("Show from the late tray's menu showed no window")
        else:
            # Another program's window takes the focus; Show brings the main
            # window back to the front with the focus.
            other = subprocess.Popen(["xmessage", "-center", "another program"], stderr=subprocess.DEVNULL)
            others = pump(10, lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(other.pid)],
                                                     capture_output=True, text=True).stdout.split())
            if others:
                subprocess.run(["xdotool", "windowactivate", "--sync", others[0]])
            show()
            if not pump(10, lambda: active_window() == window):
                failures.append("Show left the focus with another program's window")
            other.kill()
            other.wait()
            subprocess.run(["xdotool", "windowactivate", "--sync", window, "key", "--clearmodifiers", "alt+F4"])
            if pump(10, lambda: shown_window(program.pid) is None) is not True:
                failures.append("closing the window did not hide it")
            pump(1)
            if program.poll() is not None:
                failures.append("closing the window with a tray there ended the program (status %d)"
                                % program.returncode)

        # The tray goes and comes back: the icon goes to it again.
        bus.release_name("org.kde.StatusNotifierWatcher")
        pump(1)
        del watcher.items[:]
        bus.request_name("org.kde.StatusNotifierWatcher")
        if not pump(20, lambda: watcher.items):
            failures.append("the icon did not come back to a tray that went and came back")
        if program.poll() is not None:
            failures.append("the program ended with status %d" % program.returncode)
    finally:
        if program is not None:
            program.kill()
            program.wait()
        shutil.rmtree(work, ignore_errors=True)
    report(failures)


if __name__ == "__main__":
    run(outer, on_bus, __doc__)
