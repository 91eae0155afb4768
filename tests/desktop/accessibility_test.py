#!/usr/bin/env python3
"""Every window as a screen reader sees it, through the AT-SPI registry.

Under Xvfb with openbox and a private D-Bus session, a small
StatusNotifierWatcher gives the real program a tray; its menu, driven over
com.canonical.dbusmenu, opens the main window, the About box, the Usage
window and a message window. The main window's view buttons are pressed
through AT-SPI itself. In each, every element that is shown and takes the
focus or tells something (a picture, a list, a table, the chart) must have a
name, and the chart must give its values as text.
   accessibility_test.py TALLIX
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tray"))
from desktop_session import Desktop, need, program_folder, report, run, skip  # noqa: E402

# Roles that tell the user something even when they take no focus (a label
# is named by its own text; a panel is a container, its parts are checked).
INFORMATIVE = {"image", "chart", "list", "table", "progress bar", "page tab", "check box", "push button", "text"}


def outer(tallix):
    need("dbus-run-session", "xprop")
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        skip("at-spi2-core is not installed")
    try:
        import pyatspi  # noqa: F401
        import dbus  # noqa: F401
    except ImportError as missing:
        skip("python3-pyatspi or python3-dbus is not installed (%s)" % missing)
    desktop = Desktop()
    try:
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, "--on-bus", tallix]))
    finally:
        desktop.close()


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
    import dbus
    import dbus.mainloop.glib
    import pyatspi
    from sni_host_test import Watcher, pump

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)

    work = tempfile.mkdtemp(prefix="tallix-a11y-")
    program = None
    failures = []
    try:
        folder = program_folder(work, tallix)
        # A closed connection, so the Usage window has a bar and a row.
        with open(os.path.join(folder, "CountRec.zvt"), "ab") as f:
            day = time.strftime("%Y/%m/01")
            f.write(("start: 00" + day[2:] + " 09:00:00").ljust(29).encode())
            f.write(("_end : " + day + " 10:30:00").ljust(29).encode())
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        program = subprocess.Popen([os.path.join(folder, "tallix")], cwd=folder, env=env)
        if not pump(30, lambda: watcher.items):
            sys.exit("FAILED: the program registered no tray item")
        item = bus.get_object(watcher.items[0], "/StatusNotifierItem")
        menu_path = dbus.Interface(item, dbus.PROPERTIES_IFACE).Get("org.kde.StatusNotifierItem", "Menu")
        menu = dbus.Interface(bus.get_object(watcher.items[0], menu_path), "com.canonical.dbusmenu")
        _, layout = menu.GetLayout(0, -1, ["label"])
        ids = {str(child[1].get("label", "")).strip(): child[0] for child in layout[2]}

        def choose(label):
            menu.Event(ids[label], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))

        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == program.pid:
                    return app
            return None

        def window(title_part, role=None):
            """The shown top-level window whose name holds `title_part`."""
            app = application()
            for i in range(app.childCount if app else 0):
                w = app.getChildAtIndex(i)
                if w is None or not w.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                if title_part in (w.name or "") and (role is None or w.getRoleName() == role):
                    return w
            return None

        def check(label, title_part):
            w = pump(15, lambda: window(title_part))
            if w is None:
                failures.append("%s: no shown window named '%s'" % (label, title_part))
                return None
            time.sleep(0.5)
            failures.extend("%s: %s" % (label, p) for p in problems_in(w, pyatspi))
            return w

        if not pump(20, application):
            sys.exit("FAILED: the program is not in the AT-SPI registry")
        choose("Show")
        # The main window's title is the date and time, from the first tick on.
        main = check("Main view", time.strftime("%Y"))
        if main is not None:
            for button, view in (("Settings", "Settings view"), ("Calculation", "Calculation view")):
                found = pyatspi.findDescendant(main, lambda n: n.getRoleName() == "push button" and n.name == button)
                if found is None:
                    failures.append("no '%s' button" % button)
                    continue
                found.queryAction().doAction(0)
                pump(1)
                check(view, time.strftime("%Y"))
        choose("About")
        check("About box", "About Tallix")
        choose("Usage")
        usage = check("Usage window", "Usage")
        if usage is not None and pyatspi.findDescendant(usage, lambda n: n.getRoleName() == "chart") is None:
            failures.append("Usage window: no element has the chart role")
        choose("Help")
        check("message window", "Tallix Wrning Message")
    finally:
        if program is not None:
            program.kill()
            program.wait()
        shutil.rmtree(work, ignore_errors=True)
    report(failures)


if __name__ == "__main__":
    run(outer, on_bus, __doc__)
