#!/usr/bin/env python3
"""The program under a tiling Wayland compositor (headless sway).

With a tray and the AT-SPI registry on a private bus, the real program runs on
Qt's wayland platform with a place stored in tallix.ini. The menu it opens
itself (as sway's bar asks) and the Usage window must float, not tile. A
Wayland compositor neither places windows nor tells where they are: closing
the main window through its " Close" item must leave tallix.ini as it was.
   wayland_test.py TALLIX
"""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (QUIET, Watcher, atspi_window, finish, main, need, on_private_bus, program_folder,  # noqa: E402
                           pump, session_bus, skip, stop, tray_program, wait_until, write_place)


def outer(tallix):
    need("sway", "/usr/libexec/at-spi-bus-launcher", "py:pyatspi")
    if not glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"):
        skip("Qt's wayland platform (qt6-wayland) is not installed")
    runtime = tempfile.mkdtemp(prefix="tallix-wayland-")
    os.chmod(runtime, 0o700)
    config = os.path.join(runtime, "sway.conf")
    with open(config, "w") as f:
        f.write("output HEADLESS-1 resolution 1280x800\nxwayland disable\n")
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
               WLR_RENDERER="pixman")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    compositor = ["sway", "--config", config]
    if os.geteuid() == 0:
        # sway refuses to run as root; the program, as root, still reaches its socket.
        need("setpriv")
        os.chown(runtime, 65534, 65534)
        compositor = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + compositor
    sway = subprocess.Popen(compositor, env=dict(env, HOME=runtime), **QUIET)
    try:
        socket = wait_until(20, lambda: [s for s in glob.glob(os.path.join(runtime, "wayland-*"))
                                         if not s.endswith(".lock")])
        if not socket or sway.poll() is not None:
            skip("sway could not start headless")
        env["WAYLAND_DISPLAY"] = os.path.basename(socket[0])
        ipc = wait_until(10, lambda: glob.glob(os.path.join(runtime, "sway-ipc.*.sock")))
        if not ipc:
            skip("sway gave no IPC socket")
        env["SWAYSOCK"] = ipc[0]
        on_private_bus(tallix, env=env)
    finally:
        sway.terminate()
        sway.wait()
        shutil.rmtree(runtime, ignore_errors=True)


def sway_windows(pid):
    """The program's windows in sway's tree: (title, kind, id), kind "con"
    when tiled, "floating_con" when floating."""
    tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True).stdout or "{}")
    found = []

    def walk(node):
        if node.get("pid") == pid:
            found.append(((node.get("name") or "").strip(), node.get("type"), node.get("id")))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)
    walk(tree)
    return found


def on_bus(tallix):
    import pyatspi

    bus = session_bus()
    program, failures = None, []
    with tempfile.TemporaryDirectory(prefix="tallix-wayland-place-") as work:
        try:
            folder = program_folder(work, tallix)
            write_place(folder, 1500, 3000)
            ini = os.path.join(folder, "tallix.ini")
            with open(ini, "rb") as f:
                stored = f.read()
            program, tray = tray_program(bus, Watcher(bus), folder, "wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

            def close_in_sway(title):
                for name, _, con in sway_windows(program.pid):
                    if name == title:
                        subprocess.run(["swaymsg", "[con_id=%d] kill" % con], capture_output=True)

            # A bar that asks the item to open its menu itself: the menu must not
            # become a tiled window filling the screen.
            tray.dbus.Interface(tray.item, "org.kde.StatusNotifierItem").ContextMenu(1200, 780)
            opened = pump(10, lambda: sway_windows(program.pid))
            if not opened or any(kind != "floating_con" for _, kind, _ in opened):
                failures.append("the menu opened as %s, not floating" % opened)
            close_in_sway(opened[0][0] if opened else "")
            pump(10, lambda: not sway_windows(program.pid))

            # Usage floats with the main window it belongs to.
            tray.choose("Show")
            tray.choose("Usage")
            usage = pump(10, lambda: [w for w in sway_windows(program.pid) if w[0] == "Usage"])
            if not usage or usage[0][1] != "floating_con":
                failures.append("the Usage window is %s, not floating" % (usage or "not shown"))
            close_in_sway("Usage")

            window = pump(30, lambda: atspi_window(program.pid, "Vossberry"))
            if window is None:
                sys.exit("FAILED: the main window did not show under Wayland%s" % (
                    " (the program ended with status %d)" % program.returncode if program.poll() is not None else ""))
            close = pyatspi.findDescendant(window, lambda n: n.getRoleName() == "menu item" and n.name.strip() == "Close")
            if close is None:
                sys.exit("FAILED: no Close item in the main window")
            pump(1)
            close.queryAction().doAction(0)
            if pump(10, lambda: atspi_window(program.pid, "Vossberry") is None) is not True:
                failures.append("Close did not close the window")
            with open(ini, "rb") as f:
                after = f.read()
            if after != stored:
                failures.append("tallix.ini changed under Wayland: %r became %r" % (stored[:21], after[:21]))
        finally:
            stop(program)
    finish(failures)


if __name__ == "__main__":
    main(outer, on_bus)
