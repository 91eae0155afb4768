#!/usr/bin/env python3
"""The budget's notices reach the desktop's notification service, tray or not.

On a private D-Bus session with no tray, the real program starts with 50
minutes of a one-hour budget used: the 80% notice is due at once. With no
notification service there, it must not be recorded as given in tallix.ini.
A mock service (python3-dbusmock) then comes: the notice must reach it, once,
and be recorded; after a restart it must not come again.
   notices_test.py TALLIX
"""
import os
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (add_connection, finish, main, need, on_private_bus, program_folder,  # noqa: E402
                           start_program, stop, wait_until)

NOTICE_80 = "80% of your time budget is used: "
SETTLE = 3  # seconds a fresh program is given to offer a notice it would wrongly give


def warned_marks(folder):
    """The budget's record (the third in tallix.ini): the notices given so far."""
    with open(os.path.join(folder, "tallix.ini"), "rb") as f:
        data = f.read()
    return struct.unpack("<h", data[2 * 51 + 19:2 * 51 + 21])[0] if len(data) >= 3 * 51 else None


def outer(tallix):
    need("py:dbus", "py:dbusmock")
    on_private_bus(tallix)


def on_bus(tallix):
    import dbus
    import dbusmock

    programs, server, failures = [], None, []
    with tempfile.TemporaryDirectory(prefix="tallix-notices-") as work:
        try:
            folder = program_folder(work, tallix)
            add_connection(folder, "09:00:00", "09:50:00")
            with open(os.path.join(folder, "tallix.ini"), "wb") as f:  # a budget of one hour, no notice given
                for label, one, two in (("[F1Location]", 1500, 3000), ("[CheckedRunMe]", 0, 0), ("[TimeBudget]", 1, 0)):
                    f.write(label.ljust(17).encode() + struct.pack("<hh", one, two) + bytes(30))

            programs.append(start_program(folder))
            time.sleep(SETTLE)
            if warned_marks(folder) != 0:
                failures.append("with no notification service the notice was recorded as given (%s)"
                                % warned_marks(folder))

            # The service takes its name with its methods in place, as a real one does.
            server = subprocess.Popen([sys.executable, "-m", "dbusmock", "--template", "notification_daemon"],
                                      stdout=subprocess.DEVNULL)
            bus = dbus.SessionBus()
            if not wait_until(20, lambda: bus.name_has_owner("org.freedesktop.Notifications")):
                sys.exit("FAILED: the mock notification service did not start")
            mock = dbus.Interface(bus.get_object("org.freedesktop.Notifications", "/org/freedesktop/Notifications"),
                                  dbusmock.MOCK_IFACE)
            if not wait_until(20, lambda: mock.GetMethodCalls("Notify")):
                failures.append("the due notice did not come when a notification service appeared")
            elif not wait_until(10, lambda: warned_marks(folder) == 1):
                failures.append("the notice given is not recorded: marks %s" % warned_marks(folder))
            stop(programs[0])

            programs.append(start_program(folder))
            time.sleep(SETTLE)
            bodies = [str(args[4]) for _, args in mock.GetMethodCalls("Notify")]
            if len(bodies) != 1 or not bodies[0].startswith(NOTICE_80):
                failures.append("notices given over a restart: %s" % bodies)
        finally:
            stop(*programs, server)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
