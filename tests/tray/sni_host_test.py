#!/usr/bin/env python3
"""The tray icon against a real StatusNotifierItem host.

Under Xvfb, with a private D-Bus session bus, this registers a
StatusNotifierWatcher, starts the real program (xcb platform) inside a network
namespace with a PPP-type tunnel, and reads its item over D-Bus: the tooltip,
an icon, the menu through com.canonical.dbusmenu, and a new icon when the line
comes up. Remove while online ends the program, and the open pair's end
carries the moment of the click. Exit 77 (skipped, with the reason) only where
Xvfb, a bus or a namespace cannot be made.
   sni_host_test.py TALLIX TUN_PPP
"""
import datetime
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
# Watcher and pump are also taken from here by the memory figures in bench/.
from whole_program import (Desktop, TrayItem, Watcher, bus_config, finish, inside, link_up, main,  # noqa: E402,F401
                           make_namespace, on_private_bus, program_folder, pump, session_bus, start_program, stop,
                           tunnel)

# The menu's items in order, separators left out.
EXPECTED_MENU = [" " + word for word in "About Show Usage Help Remove".split()]


def outer(tallix, tun_ppp):
    """Makes the display and the bus, then runs the check on that bus."""
    namespace = make_namespace("tallix-tray")
    # The display lives in the namespace too: its abstract socket is then the
    # test's alone, whatever other servers come and go in the shared /tmp.
    desktop = None
    try:
        desktop = Desktop("1280x1024", manager=False, prefix=inside(namespace))
        with tempfile.TemporaryDirectory(prefix="tallix-tray-") as work:
            # A bus on a socket file, not an abstract one: abstract sockets belong
            # to a network namespace, and the program runs in another.
            on_private_bus(tallix, tun_ppp, work, namespace, config=bus_config(work, "session", "unix:dir=" + work))
    finally:
        if desktop is not None:
            desktop.close()
        subprocess.call(["ip", "netns", "del", namespace])


def on_bus(tallix, tun_ppp, work, namespace):
    bus = session_bus()
    watcher = Watcher(bus)
    line = program = None
    failures = []
    try:
        line = tunnel(namespace, tun_ppp, "ppp0")
        folder = program_folder(work, tallix)
        program = start_program(folder, "xcb", prefix=inside(namespace))
        if not pump(30, lambda: watcher.items):
            sys.exit("FAILED: the program registered no item with the watcher")
        tray = TrayItem(bus, watcher)
        tip = tray.prop("ToolTip")
        if "Zvt" not in (str(tip[2]), str(tip[3])):
            failures.append("tooltip %r" % (tuple(tip),))
        offline = tray.pictures()
        if not any(offline):
            failures.append("no icon")
        menu = tray.menu_path != "/NO_DBUSMENU"
        if not menu:
            failures.append("no menu exported")
        else:
            labels = [str(props.get("label", "")) for _, props in tray.entries()
                      if props.get("type", "standard") != "separator" and props.get("visible", True)]
            if labels != EXPECTED_MENU:
                failures.append("menu %r, expected %r" % (labels, EXPECTED_MENU))

        # The line comes up: the next tick opens a record and shows the first online picture.
        link_up(namespace, "ppp0")
        if not pump(15, lambda: tray.pictures() != offline):
            failures.append("the icon did not change when the line came up")
        if program.poll() is not None:
            failures.append("the program ended with status %d" % program.returncode)
        elif menu:
            # Remove while online: the program ends at once, and the open
            # pair's end carries the moment of the click, not the last
            # even-minute refresh.
            pump(3)
            clicked = datetime.datetime.now().replace(microsecond=0)
            tray.choose("Remove")
            pump(10, lambda: program.poll() is not None)
            if program.poll() != 0:
                failures.append("Remove did not end the program (%s)" % program.poll())
            with open(os.path.join(folder, "CountRec.zvt"), "rb") as f:
                end = [f.read(29).decode().rstrip() for _ in range(4)][3]
            try:
                ended = datetime.datetime.strptime(end[7:], "%Y/%m/%d %H:%M:%S") if end.startswith("_end : ") else None
            except ValueError:
                ended = None
            if ended is None or abs((ended - clicked).total_seconds()) > 2:
                failures.append("after Remove the end record reads %r; clicked at %s" % (end, clicked))
    finally:
        stop(program)
        if line is not None:
            line.stdin.close()
            line.wait()
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
