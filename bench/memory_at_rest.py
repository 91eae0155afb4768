#!/usr/bin/env python3
"""Private memory of the running program at rest, beside the bare window.

Under Xvfb with openbox and a private D-Bus session, a small
StatusNotifierWatcher gives the real program a tray. Its period file holds
the longest log a period can (32767 records). The program and the bare
window of bench/ run side by side, the bare window twice: as it is, and
showing one line of text in the toolkit's default font (--text), since
drawing any text at all loads the font configuration and a face; each figure is the private dirty memory
of /proc/PID/smaps_rollup, read when both have been idle a while:
  1. after start-up, with the main window shown once (Show in the icon's menu);
  2. after the Usage window was opened from the menu on that log and closed.
Prints figures; asserts nothing. A missing tool ends it with the reason.
   memory_at_rest.py TALLIX BARE_WINDOW [idle seconds]
"""
import datetime
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "desktop"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "tray"))
from desktop_session import Desktop, need, program_folder, wait_until  # noqa: E402

RECORDS = 32767


def private_dirty_kb(pid):
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Private_Dirty:"):
                return int(line.split()[1])
    return 0


def write_full_period(folder):
    """The period of this month with 16382 connections on its first day and a last open start."""
    day = datetime.date.today().strftime("%Y/%m/01")
    rng = random.Random(2002)
    records = []
    for n in range(3, RECORDS + 1, 2):
        start = rng.randrange(86400)
        end = min(start + rng.randrange(7200), 86399)
        clock = lambda s: "%02d:%02d:%02d" % (s // 3600, s // 60 % 60, s % 60)  # noqa: E731
        records.append("start: 00" + day[2:] + " " + clock(start))
        if n + 1 <= RECORDS:
            records.append("_end : " + day + " " + clock(end))
    with open(os.path.join(folder, "CountRec.zvt"), "ab") as f:
        f.write(b"".join(r.ljust(29).encode() for r in records))


def outer(tallix, bare, idle):
    need("dbus-run-session", "xdotool", "xprop")
    desktop = Desktop()
    try:
        sys.exit(subprocess.call(["dbus-run-session", "--", "/usr/bin/python3", __file__, "--on-bus", tallix, bare,
                                  str(idle)]))
    finally:
        desktop.close()


def on_bus(tallix, bare, idle):
    import dbus
    import dbus.mainloop.glib
    from sni_host_test import Watcher, pump

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)

    def windows(pid, name):
        found = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", name],
                               capture_output=True, text=True)
        return found.stdout.split()

    work = tempfile.mkdtemp(prefix="tallix-memory-")
    started = []
    try:
        folder = program_folder(work, tallix)
        write_full_period(folder)
        # A file just written is dirty in the page cache, and its pages would
        # count as the program's own private dirty memory until written back.
        os.sync()
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        started.append(subprocess.Popen([bare], cwd=work, env=env))
        started.append(subprocess.Popen([bare, "--text"], cwd=work, env=env))
        program = subprocess.Popen([os.path.join(folder, "tallix")], cwd=folder, env=env)
        started.append(program)
        if not pump(30, lambda: watcher.items):
            sys.exit("memory_at_rest: the program registered no tray item")
        item = bus.get_object(watcher.items[0], "/StatusNotifierItem")
        menu_path = dbus.Interface(item, dbus.PROPERTIES_IFACE).Get("org.kde.StatusNotifierItem", "Menu")
        menu = dbus.Interface(bus.get_object(watcher.items[0], menu_path), "com.canonical.dbusmenu")
        _, layout = menu.GetLayout(0, -1, ["label"])
        ids = {str(child[1].get("label", "")).strip(): child[0] for child in layout[2]}

        def choose(label):
            menu.Event(ids[label], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))

        choose("Show")
        if not pump(10, lambda: windows(program.pid, "Tallix")):
            sys.exit("memory_at_rest: the main window did not show")
        pump(idle)

        def row(what):
            return what, private_dirty_kb(started[0].pid), private_dirty_kb(started[1].pid), private_dirty_kb(program.pid)

        rows = [row("after start-up")]

        choose("Usage")
        usage = pump(20, lambda: windows(program.pid, "^ Usage$"))
        if not usage:
            sys.exit("memory_at_rest: the Usage window did not show")
        pump(1)
        # Escape closes it, as a user would; openbox gives it the keyboard.
        subprocess.run(["xdotool", "windowactivate", "--sync", usage[0], "key", "Escape"], check=False)
        if not pump(10, lambda: not windows(program.pid, "^ Usage$")):
            sys.exit("memory_at_rest: the Usage window did not close on Escape")
        pump(idle)
        rows.append(row("after the Usage window"))

        print("Private_Dirty of /proc/PID/smaps_rollup, idle %d s, Xvfb, %d-record period:" % (idle, RECORDS))
        print("  %-24s %12s %12s %12s %8s %8s" % ("", "bare window", "with text", "Tallix", "ratio", "to text"))
        for what, bare_kb, text_kb, tallix_kb in rows:
            print("  %-24s %9d kB %9d kB %9d kB %8.2f %8.2f" % (what, bare_kb, text_kb, tallix_kb, tallix_kb / bare_kb,
                                                                tallix_kb / text_kb))
    finally:
        for process in started:
            process.kill()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--on-bus":
        on_bus(sys.argv[2], sys.argv[3], int(sys.argv[4]))
    elif len(sys.argv) in (3, 4):
        outer(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), int(sys.argv[3]) if len(sys.argv) == 4 else 10)
    else:
        sys.exit(__doc__)
