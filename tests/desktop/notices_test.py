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
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import need, program_folder, report, run, skip, wait_until  # noqa: E402

NOTICE_80 = "80% of your time budget is used: "
SETTLE = 3  # seconds a fresh program is given to offer a notice it would wrongly give


def settings(place=(1500, 3000), hours=1, warned=0):
    def record(label, one, two):
        return label.ljust(17).encode() + struct.pack("<hh", one, two) + bytes(30)
    return record("[F1Location]", *place) + record("[CheckedRunMe]", 0, 0) + record("[TimeBudget]", hours, warned)


def warned_marks(folder):
    with open(os.path.join(folder, "tallix.ini"), "rb") as f:
        data = f.read()
    return struct.unpack("<h", data[2 * 51 + 19:2 * 51 + 21])[0] if len(data) >= 3 * 51 else None


def outer(tallix):
    need("dbus-run-session")
    try:
        import dbus  # noqa: F401
        import dbusmock  # noqa: F401
    except ImportError as missing:
        skip("python3-dbus or python3-dbusmock is not installed (%s)" % missing)
    sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, "--on-bus", tallix]))


def on_bus(tallix):
    import dbus
    import dbusmock

    work = tempfile.mkdtemp(prefix="tallix-notices-")
    programs, server = [], None
    failures = []

    def start():
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        programs.append(subprocess.Popen([os.path.join(folder, "tallix")], cwd=folder, env=env))
        return programs[-1]

    try:
        folder = program_folder(work, tallix)
        day = time.strftime("%Y/%m/01")
        with open(os.path.join(folder, "CountRec.zvt"), "ab") as f:
            f.write(("start: 00" + day[2:] + " 09:00:00").ljust(29).encode())
            f.write(("_end : " + day + " 09:50:00").ljust(29).encode())
        with open(os.path.join(folder, "tallix.ini"), "wb") as f:
            f.write(settings())

        program = start()
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
        program.kill()
        program.wait()

        start()
        time.sleep(SETTLE)
        calls = mock.GetMethodCalls("Notify")
        bodies = [str(args[4]) for _, args in calls]
        if len(bodies) != 1 or not bodies[0].startswith(NOTICE_80):
            failures.append("notices given over a restart: %s" % bodies)
    finally:
        for process in programs + ([server] if server else []):
            if process.poll() is None:
                process.kill()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)
    report(failures)


if __name__ == "__main__":
    run(outer, on_bus, __doc__)
