#!/usr/bin/env python3
"""The budget's and the data allowance's notices reach the desktop's
notification service, tray or not.

On a private D-Bus session with no tray, the real program starts with 50
minutes of a one-hour budget used and 850 MB of a 1 GB allowance: both 80%
notices are due at once. With no notification service there, neither must be
recorded as given in tallix.ini. A mock service (python3-dbusmock) then comes:
each notice must reach it, once, and be recorded; after a restart neither
must come again.
   notices_test.py TALLIX
"""
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (add_connection, finish, main, need, on_private_bus, program_folder,  # noqa: E402
                           start_program, stop, wait_until)

NOTICES_80 = ("80% of your time budget is used: ", "80% of your data allowance is used: ")
SETTLE = 3  # seconds a fresh program is given to offer a notice it would wrongly give


def warned_marks(folder):
    """The notices given so far of the budget and of the allowance (records 3 and 4 of tallix.ini)."""
    with open(os.path.join(folder, "tallix.ini"), "rb") as f:
        data = f.read()
    return tuple(struct.unpack("<h", data[n * 51 + 19:n * 51 + 21])[0] if len(data) >= (n + 1) * 51 else None
                 for n in (2, 3))


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
            volume = "tallix volume 1\n3 %s 09:00:00 800000000 50000000\n" % time.strftime("%y/%m/01")
            with open(os.path.join(folder, "CountRec.zvt.vol"), "w") as f:
                f.write(volume + "check %08x\n" % zlib.crc32(volume.encode()))
            with open(os.path.join(folder, "tallix.ini"), "wb") as f:  # one hour, 1 GB, no notice given
                for label, one, two in (("[F1Location]", 1500, 3000), ("[CheckedRunMe]", 0, 0), ("[TimeBudget]", 1, 0),
                                        ("[DataAllowance]", 10, 0)):
                    f.write(label.ljust(17).encode() + struct.pack("<hh", one, two) + bytes(30))

            programs.append(start_program(folder))
            time.sleep(SETTLE)
            if warned_marks(folder) != (0, 0):
                failures.append("with no notification service a notice was recorded as given (%s)"
                                % (warned_marks(folder),))

            # The service takes its name with its methods in place, as a real one does.
            server = subprocess.Popen([sys.executable, "-m", "dbusmock", "--template", "notification_daemon"],
                                      stdout=subprocess.DEVNULL)
            bus = dbus.SessionBus()
            if not wait_until(20, lambda: bus.name_has_owner("org.freedesktop.Notifications")):
                sys.exit("FAILED: the mock notification service did not start")
            mock = dbus.Interface(bus.get_object("org.freedesktop.Notifications", "/org/freedesktop/Notifications"),
                                  dbusmock.MOCK_IFACE)
            if not wait_until(20, lambda: len(mock.GetMethodCalls("Notify")) >= 2):
                failures.append("the due notices did not come when a notification service appeared")
            elif not wait_until(10, lambda: warned_marks(folder) == (1, 1)):
                failures.append("the notices given are not recorded: marks %s" % (warned_marks(folder),))
            stop(programs[0])

            programs.append(start_program(folder))
            time.sleep(SETTLE)
            bodies = [str(args[4]) for _, args in mock.GetMethodCalls("Notify")]
            if sorted(body.partition(": ")[0] + ": " for body in bodies) != sorted(NOTICES_80):
                failures.append("notices given over a restart: %s" % bodies)
        finally:
            stop(*programs, server)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
