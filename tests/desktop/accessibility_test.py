#!/usr/bin/env python3
"""Every window as a screen reader sees it, through the AT-SPI registry.

The tray's menu opens the main window (its view buttons pressed over AT-SPI),
the About box, the Usage window and a message window. In each, every shown
element that takes the focus or tells something (a picture, a list, a table,
the chart) must have a name, and the chart must give its values as text.
   accessibility_test.py TALLIX
"""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (Watcher, add_connection, atspi_window, finish, main, need, on_desktop_bus,  # noqa: E402
                           program_folder, pump, session_bus, stop, tray_program)

# Roles that tell the user something even when they take no focus (a label
# is named by its own text; a panel is a container, its parts are checked).
INFORMATIVE = {"image", "chart", "list", "table", "progress bar", "page tab", "check box", "push button", "text"}


def outer(tallix):
    need("xprop", "/usr/libexec/at-spi-bus-launcher", "py:pyatspi", "py:dbus")
    on_desktop_bus(tallix)


def problems_in(window, pyatspi):
    """Names missing in one window's shown elements, as readable lines."""
    found = []
    seen = []

    def walk(node, path):
        try:
            states = node.getState()
            role = node.getRoleName()
            name = node.name or ""
        except Exception:  # an element gone while walked
            return
        if not states.contains(pyatspi.STATE_SHOWING):
            return
        here = "%s/%s" % (path, role)
        seen.append(here)
        # A plain widget with nothing inside draws something of its own: a picture, a chart.
        drawn = role == "filler" and node.childCount == 0
        if not name.strip() and (states.contains(pyatspi.STATE_FOCUSABLE) or role in INFORMATIVE or drawn):
            found.append("%s has no name" % here)
        if role == "chart" and not (node.description or "").strip():
            found.append("%s '%s' gives no values" % (here, name))
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), here + "[%s]" % name if name else here)
    walk(window, "")
    if len(seen) < 4:
        found.append("only %d elements shown: %s" % (len(seen), seen))
    return found


def on_bus(tallix):
    import pyatspi

    bus = session_bus()
    program, failures = None, []
    with tempfile.TemporaryDirectory(prefix="tallix-a11y-") as work:
        try:
            folder = program_folder(work, tallix)
            add_connection(folder, "09:00:00", "10:30:00")  # so the Usage window has a bar and a row
            program, tray = tray_program(bus, Watcher(bus), folder, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

            def check(label, title_part):
                w = pump(15, lambda: atspi_window(program.pid, title_part))
                if w is None:
                    failures.append("%s: no shown window named '%s'" % (label, title_part))
                    return None
                time.sleep(0.5)
                failures.extend("%s: %s" % (label, p) for p in problems_in(w, pyatspi))
                return w

            if not pump(20, lambda: atspi_window(program.pid)):
                sys.exit("FAILED: the program is not in the AT-SPI registry")
            tray.choose("Show")
            # The main window's title is the date and time, from the first tick on.
            main_window = check("Main view", time.strftime("%Y"))
            if main_window is not None:
                for button, view in (("Settings", "Settings view"), ("Calculation", "Calculation view")):
                    found = pyatspi.findDescendant(main_window,
                                                   lambda n: n.getRoleName() == "push button" and n.name == button)
                    if found is None:
                        failures.append("no '%s' button" % button)
                        continue
                    found.queryAction().doAction(0)
                    pump(1)
                    check(view, time.strftime("%Y"))
            tray.choose("About")
            check("About box", "About Tallix")
            tray.choose("Usage")
            usage = check("Usage window", "Usage")
            if usage is not None and pyatspi.findDescendant(usage, lambda n: n.getRoleName() == "chart") is None:
                failures.append("Usage window: no element has the chart role")
            tray.choose("Help")
            check("message window", "Tallix Wrning Message")
        finally:
            stop(program)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
