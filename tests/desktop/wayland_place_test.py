#!/usr/bin/env python3
"""Under Wayland the window's stored place is left as it is.

A Wayland compositor neither lets a program place its windows nor tells it
where they are. Under a headless sway, with a private D-Bus session and the
AT-SPI registry, the real program runs on Qt's wayland platform with a place
stored in tallix.ini, as an X11 session leaves it. Its window shows (no
tray), is closed through its own " Close" item, pressed over AT-SPI; tallix.ini
must then hold the same bytes as before. Exit 77 (skipped, with the reason)
where sway, Qt's wayland platform, at-spi2-core or pyatspi is missing.
   wayland_place_test.py TALLIX
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import need, program_folder, report, skip, wait_until, write_place  # noqa: E402


def outer(tallix):
    need("sway", "dbus-run-session")
    if not glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"):
        skip("Qt's wayland platform (qt6-wayland) is not installed")
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        skip("at-spi2-core is not installed")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        skip("python3-pyatspi is not installed")
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
    sway = subprocess.Popen(compositor, env=dict(env, HOME=runtime), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        socket = wait_until(20, lambda: [s for s in glob.glob(os.path.join(runtime, "wayland-*"))
                                         if not s.endswith(".lock")])
        if not socket or sway.poll() is not None:
            skip("sway could not start headless")
        env["WAYLAND_DISPLAY"] = os.path.basename(socket[0])
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, "--on-bus", tallix], env=env))
    finally:
        sway.terminate()
        sway.wait()
        shutil.rmtree(runtime, ignore_errors=True)


def on_bus(tallix):
    import pyatspi

    work = tempfile.mkdtemp(prefix="tallix-wayland-place-")
    program = None
    failures = []
    try:
        folder = program_folder(work, tallix)
        write_place(folder, 1500, 3000)
        ini = os.path.join(folder, "tallix.ini")
        with open(ini, "rb") as f:
            stored = f.read()
        env = dict(os.environ, QT_QPA_PLATFORM="wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        program = subprocess.Popen([os.path.join(folder, "tallix")], cwd=folder, env=env)

        def main_window():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is None or app.get_process_id() != program.pid:
                    continue
                for j in range(app.childCount):
                    window = app.getChildAtIndex(j)
                    if window is not None and window.getState().contains(pyatspi.STATE_SHOWING):
                        return window
            return None

        window = wait_until(30, main_window, step=0.5)
        if window is None:
            sys.exit("FAILED: the main window did not show under Wayland%s" % (
                " (the program ended with status %d)" % program.returncode if program.poll() is not None else ""))
        close = pyatspi.findDescendant(window, lambda n: n.getRoleName() == "menu item" and n.name.strip() == "Close")
        if close is None:
            sys.exit("FAILED: no Close item in the main window")
        time.sleep(1)
        close.queryAction().doAction(0)
        if wait_until(10, lambda: main_window() is None, step=0.5) is not True:
            failures.append("Close did not close the window")
        with open(ini, "rb") as f:
            after = f.read()
        if after != stored:
            failures.append("tallix.ini changed under Wayland: %r became %r" % (stored[:21], after[:21]))
    finally:
        if program is not None:
            program.kill()
            program.wait()
        shutil.rmtree(work, ignore_errors=True)
    report(failures)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--on-bus":
        on_bus(sys.argv[2])
    elif len(sys.argv) == 2:
        outer(sys.argv[1])
    else:
        sys.exit(__doc__)
