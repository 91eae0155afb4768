#!/usr/bin/env python3
"""The tray icon against a real StatusNotifierItem host.

Under Xvfb, with a private D-Bus session bus, this registers a
StatusNotifierWatcher and starts the real program (xcb platform) inside a
network namespace with a PPP-type tunnel. Its item must show an icon and a
new one when the line comes up; Remove from its menu, over
com.canonical.dbusmenu, while online ends the program, and the open pair's
end carries the moment of the click. (The tooltip and the menu's entries:
tests/shell; the menu as a panel draws it: lxqt_panel_test.py.)
   sni_host_test.py TALLIX TUN_PPP
"""
import datetime
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
# Watcher and pump are also taken from here by the memory figures in bench/.
from whole_program import (Desktop, Watcher, bus_config, finish, hang_up, inside, link_up, main,  # noqa: E402,F401
                           make_namespace, on_private_bus, program_folder, pump, session_bus, stop, tray_program,
                           tunnel)


def outer(tallix, tun_ppp):
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
    line = program = None
    failures = []
    try:
        line = tunnel(namespace, tun_ppp, "ppp0")
        folder = program_folder(work, tallix)
        program, tray = tray_program(bus, Watcher(bus), folder, prefix=inside(namespace))
        offline = tray.pictures()
        if not any(offline):
            failures.append("no icon")
        link_up(namespace, "ppp0")
        if not pump(15, lambda: tray.pictures() != offline):
            failures.append("the icon did not change when the line came up")
        if program.poll() is not None:
            failures.append("the program ended with status %d" % program.returncode)
        else:
            pump(3)
            clicked = datetime.datetime.now().replace(microsecond=0)
            tray.choose("Remove")
            if pump(10, lambda: program.poll() is not None) is not True or program.returncode != 0:
                failures.append("Remove did not end the program (%s)" % program.poll())
            with open(os.path.join(folder, "CountRec.zvt"), "rb") as f:
                end = f.read()[3 * 29:4 * 29].decode().rstrip()
            try:
                ended = datetime.datetime.strptime(end, "_end : %Y/%m/%d %H:%M:%S")
            except ValueError:
                ended = datetime.datetime.min
            if abs((ended - clicked).total_seconds()) > 2:
                failures.append("after Remove the end record reads %r; clicked at %s" % (end, clicked))
    finally:
        stop(program)
        if line is not None:
            hang_up(line)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
