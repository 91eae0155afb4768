#!/usr/bin/env python3
"""The tray icon on LXQt's panel, as a person sees it.

Under Xvfb, with a private D-Bus session, openbox and lxqt-panel showing only
its statusnotifier plugin, this starts the real program and compares
screenshots: the program's icon must appear in the panel, and a right-click on
it must open the menu, five lines of text (About, Show, Usage, Help, Remove)
and two separators. Exit 77 (skipped, with the reason) where a tool is missing.
   lxqt_panel_test.py TALLIX [SHOTS]
With SHOTS, a folder, the panel with the icon and the open menu are also saved
there as tray.png and tray-menu.png.
"""
import functools
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (QUIET, Desktop, finish, main, need, on_private_bus, program_folder, root_property,  # noqa: E402
                           start_program, stop, wait_until)

WIDTH, HEIGHT, PANEL = 640, 480, 32
PANEL_GROUND = (0xd6, 0xd6, 0xd6)
# Without its colours set the panel paints black text on a black strip.
PANEL_CONF = "\n".join(["[General]", "__userfile__=true", "[panel1]", "plugins=statusnotifier", "position=Bottom",
                        "desktop=0", "panelSize=%d" % PANEL, "iconSize=22", "font-color=#000000",
                        "background-color=#%02x%02x%02x" % PANEL_GROUND,
                        "[statusnotifier]", "type=statusnotifier", "alignment=Right", ""])
wait_for = functools.partial(wait_until, step=0.5)  # a grab of the screen takes a while


def outer(tallix, shots=""):
    """Makes the display, then runs the check on a private session bus."""
    need("openbox", "lxqt-panel", "import", "xdotool", "xmessage", "xprop", "xwininfo")
    # openbox starts on the check's bus, and the panel only once openbox maps windows.
    desktop = Desktop("%dx%d" % (WIDTH, HEIGHT), manager=False, extra=("-dpi", "96"))
    try:
        with tempfile.TemporaryDirectory(prefix="tallix-panel-") as work:
            # The panel too is on the display, even where the tests run offscreen otherwise.
            os.environ.update(XDG_CONFIG_HOME=os.path.join(work, "config"), QT_QPA_PLATFORM="xcb")
            on_private_bus(tallix, work, os.path.abspath(shots) if shots else "")
    finally:
        desktop.close()


def grab():
    """The screen as rows of (r, g, b) tuples."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    _, size, _, pixels = data.split(b"\n", 3)  # "P6", "width height", "255", the pixels
    width, height = map(int, size.split())
    return [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)] for y in range(height)]


def changed_box(before, after, top, bottom):
    """The smallest box (left, top, right, bottom) around the pixels of rows
    top..bottom-1 that differ, or None."""
    xs, ys = [], []
    for y in range(top, bottom):
        for x, (old, new) in enumerate(zip(before[y], after[y])):
            if old != new:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def bands(screen, box):
    """Heights of the runs of rows inside `box` (less its frame) that hold
    anything besides the box's most common colour: text lines and rules."""
    left, top, right, bottom = box
    rows = [screen[y][left + 3:right - 3] for y in range(top + 3, bottom - 3)]
    colours = {}
    for row in rows:
        for pixel in row:
            colours[pixel] = colours.get(pixel, 0) + 1
    ground = max(colours, key=colours.get)
    runs, length = [], 0
    for row in rows:
        if any(pixel != ground for pixel in row):
            length += 1
        elif length:
            runs.append(length)
            length = 0
    return runs + ([length] if length else [])


def window_manager_maps():
    """Whether openbox maps a window asked to be mapped: a small window of the
    test's own must come into its list of clients, and go once closed."""
    probe = subprocess.Popen(["xmessage", "-geometry", "+0+0", "ready"], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        return wait_for(3, lambda: "0x" in root_property("_NET_CLIENT_LIST"))
    finally:
        probe.kill()
        probe.wait()
        wait_for(10, lambda: "0x" not in root_property("_NET_CLIENT_LIST"))


def panel_mapped():
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    for line in tree.splitlines():
        if '"LXQt Panel"' in line:
            info = subprocess.run(["xwininfo", "-id", line.split()[0]], capture_output=True, text=True).stdout
            return "IsViewable" in info
    return False


def host_registered():
    import dbus
    try:
        watcher = dbus.SessionBus().get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        return bool(dbus.Interface(watcher, dbus.PROPERTIES_IFACE).Get("org.kde.StatusNotifierWatcher",
                                                                       "IsStatusNotifierHostRegistered"))
    except dbus.DBusException:
        return False


def settled(top, bottom):
    """The screen once rows top..bottom-1 are the same in two grabs a moment apart."""
    last = [grab()]

    def same():
        now = grab()
        steady = now[top:bottom] == last[0][top:bottom]
        last[0] = now
        return steady
    wait_for(30, same)
    return last[0]


def save(shots, name, box, margin):
    left, top, right, bottom = box
    left, top = max(0, left - margin), max(0, top - margin)
    right, bottom = min(WIDTH, right + margin), min(HEIGHT, bottom + margin)
    crop = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    subprocess.check_call(["import", "-window", "root", "-crop", crop, "+repage", os.path.join(shots, name)])


def on_bus(tallix, work, shots):
    os.makedirs(os.path.join(work, "config", "lxqt"))
    with open(os.path.join(work, "config", "lxqt", "panel.conf"), "w") as f:
        f.write(PANEL_CONF)
    folder = program_folder(work, tallix)

    started = [subprocess.Popen(["openbox"], **QUIET)]
    failures = []
    try:
        # The panel asks the window manager to map its window once, at start;
        # a request made while openbox is still starting is lost and the panel
        # never shows. So the panel starts only once openbox maps windows.
        if not wait_for(60, window_manager_maps):
            sys.exit("FAILED: openbox did not come to map windows")
        panel_log = open(os.path.join(work, "panel.log"), "w+")
        panel = subprocess.Popen(["lxqt-panel"], stdout=panel_log, stderr=subprocess.STDOUT)
        started.append(panel)
        panel_top = HEIGHT - PANEL
        # Generous waits: the tests run two at a time on a busy machine.
        if not wait_for(60, lambda: panel_mapped() and grab()[HEIGHT - 2][2] == PANEL_GROUND):
            panel_log.seek(0)
            sys.exit("FAILED: the panel did not appear (mapped: %s, status %s); it said:\n%s"
                     % (panel_mapped(), panel.poll(), panel_log.read()[-2000:]))
        # The panel's plugin is a host of status-notifier items once the
        # watcher it runs says so; then the empty panel stops changing.
        if not wait_for(60, host_registered):
            sys.exit("FAILED: the panel's plugin registered no host of status-notifier items")
        ground = settled(panel_top, HEIGHT)
        started.append(start_program(folder, "xcb"))

        icon = wait_for(60, lambda: changed_box(ground, grab(), panel_top, HEIGHT))
        if icon is None:
            sys.exit("FAILED: no icon appeared in the panel")
        with_icon = settled(panel_top, HEIGHT)
        icon = changed_box(ground, with_icon, panel_top, HEIGHT)
        size = (icon[2] - icon[0], icon[3] - icon[1])
        if not (8 <= min(size) and max(size) <= PANEL):
            failures.append("the panel changed in a %dx%d box, not an icon's" % size)
        if shots:
            save(shots, "tray.png", (WIDTH - 160, panel_top, WIDTH, HEIGHT), 0)

        subprocess.check_call(["xdotool", "mousemove", str((icon[0] + icon[2]) // 2), str((icon[1] + icon[3]) // 2),
                               "click", "3"])
        menu = wait_for(20, lambda: changed_box(with_icon, grab(), 0, panel_top))
        if menu is None:
            sys.exit("FAILED: a right-click on the icon opened no menu")
        opened = settled(0, HEIGHT)
        menu = changed_box(with_icon, opened, 0, panel_top)
        runs = bands(opened, menu)
        text, rules = [r for r in runs if r >= 5], [r for r in runs if r <= 2]
        if (len(text), len(rules), len(runs)) != (5, 2, 7):
            failures.append("the menu shows lines of heights %s, not five of text and two rules" % runs)
        if shots:
            save(shots, "tray-menu.png", (min(menu[0], icon[0]), menu[1], max(menu[2], icon[2]), HEIGHT), 4)
        if started[-1].poll() is not None:
            failures.append("the program ended with status %d" % started[-1].returncode)
    finally:
        stop(*reversed(started))
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
