"""What the whole-program checks in Python share: skips and waits, the
program's folder, a private D-Bus session, a desktop of their own (Xvfb with
openbox), a tray's watcher and the program's item on it, the AT-SPI tree, and
a network namespace with a tunnel. A missing tool is a skip (exit 77, with the
reason), never a failure."""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import time

SKIP = 77
QUIET = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def need(*needs):
    """Skips unless each is there: "root", a Python module ("py:dbus"), a
    file (an absolute path), or a program on the PATH."""
    for what in needs:
        if what == "root":
            if os.geteuid() != 0:
                skip("needs root to make a network namespace and a tunnel")
        elif what.startswith("py:"):
            try:
                __import__(what[3:])
            except ImportError as missing:
                skip("the python3 module %s is not installed (%s)" % (what[3:], missing))
        elif not (os.path.exists(what) if what.startswith("/") else shutil.which(what)):
            skip(what + " is not installed")


def wait_until(seconds, ready, step=0.1):
    """Polls `ready` until it gives something true or the time is up; gives its last value."""
    deadline = time.monotonic() + seconds
    while True:
        value = ready()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def pump(seconds, until=lambda: False):
    """wait_until, running the D-Bus main loop meanwhile."""
    from gi.repository import GLib

    def step():
        GLib.MainContext.default().iteration(False)
        return until()
    return wait_until(seconds, step, 0.05)


def main(outer, on_bus):
    """A check's command line: its arguments, or --on-bus and its arguments
    once `outer` has made the check's own bus (on_private_bus)."""
    if len(sys.argv) > 2 and sys.argv[1] == "--on-bus":
        on_bus(*sys.argv[2:])
    elif len(sys.argv) > 1:
        outer(*sys.argv[1:])
    else:
        sys.exit(sys.modules["__main__"].__doc__)


def on_private_bus(*args, config=None, env=None):
    """Runs this check again, with --on-bus and `args`, on a private D-Bus session, and ends with its status."""
    need("dbus-run-session")
    sys.exit(subprocess.call(["dbus-run-session"] + (["--config-file=" + config] if config else []) +
                             ["--", sys.executable, os.path.abspath(sys.argv[0]), "--on-bus"] + list(args), env=env))


def on_desktop_bus(*args, **desktop):
    """on_private_bus with `args` on a Desktop of the check's own (made with `desktop`)."""
    screen = Desktop(**desktop)
    try:
        on_private_bus(*args)
    finally:
        screen.close()


def bus_config(work, kind, listen):
    """A bus configuration file in `work` for a bus of `kind` that lets everyone do everything."""
    path = os.path.join(work, "bus.conf")
    with open(path, "w") as f:
        f.write('<busconfig><type>%s</type><listen>%s</listen><auth>EXTERNAL</auth>'
                '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' % (kind, listen))
    return path


def program_folder(work, tallix):
    """`work`/program, made with a copy of the program and a period of this calendar month."""
    folder = os.path.join(work, "program")
    os.mkdir(folder)
    shutil.copy(tallix, os.path.join(folder, "tallix"))
    today = datetime.date.today().strftime("%Y/%m/%d")
    with open(os.path.join(folder, "CountRec.zvt"), "wb") as f:
        f.write(("From : 01_" + today).ljust(29).encode() + "0_To : 31".ljust(29).encode())
    return folder


def add_connection(folder, start, end):
    """Adds a closed connection on the 1st of this month, from `start` to `end` ("hh:mm:ss")."""
    day = time.strftime("%Y/%m/01")
    with open(os.path.join(folder, "CountRec.zvt"), "ab") as f:
        f.write(("start: 00%s %s" % (day[2:], start)).ljust(29).encode() + ("_end : %s %s" % (day, end)).ljust(29).encode())


def start_program(folder, platform="offscreen", prefix=(), **env):
    """Starts the copy of the program in `folder` on Qt's `platform`."""
    return subprocess.Popen(list(prefix) + [os.path.join(folder, "tallix")], cwd=folder,
                            env=dict(os.environ, QT_QPA_PLATFORM=platform, **env))


def stop(*processes):
    """Kills what still runs of `processes` (None allowed)."""
    for process in processes:
        if process is not None:
            if process.poll() is None:
                process.kill()
            process.wait()


def finish(failures):
    for failure in failures:
        print("FAILED: " + failure)
    sys.exit(1 if failures else 0)


def root_property(name):
    return subprocess.run(["xprop", "-root", name], capture_output=True, text=True).stdout


class Desktop:
    """Xvfb at `size` on a free display (DISPLAY set for children), and openbox
    managing its windows unless `manager` is false. `prefix` runs Xvfb through
    another command (a namespace), `extra` adds options of Xvfb's."""

    def __init__(self, size="1280x800", manager=True, prefix=(), extra=()):
        need("Xvfb", *(("openbox", "xprop") if manager else ()))
        # Xvfb picks a free display itself and says which on the pipe.
        read_end, write_end = os.pipe()
        self.processes = [subprocess.Popen(list(prefix) + ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                                           size + "x24", "-nolisten", "tcp"] + list(extra),
                                           pass_fds=(write_end,), stderr=subprocess.DEVNULL)]
        os.close(write_end)
        with os.fdopen(read_end) as answer:
            number = answer.readline().strip()
        if not number:
            self.close()
            skip("Xvfb could not start a display")
        self.display = os.environ["DISPLAY"] = ":" + number
        if manager:
            self.processes.append(subprocess.Popen(["openbox", "--sm-disable"], **QUIET))
            # openbox owns the screen's manager selection once it runs.
            if not wait_until(20, lambda: "(WINDOW)" in root_property("_NET_SUPPORTING_WM_CHECK")):
                self.close()
                skip("openbox did not start")

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            process.wait()


def shown_window(pid):
    """The X window of the program's visible main window, or None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--class", "tallix"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def read_place(folder):
    """Top and left of the main window in tallix.ini, in twips."""
    with open(os.path.join(folder, "tallix.ini"), "rb") as f:
        record = f.read(51)
    if len(record) < 21 or record[:17].decode("latin-1").strip() != "[F1Location]":
        return None
    return struct.unpack("<hh", record[17:21])


def write_place(folder, top, left):
    with open(os.path.join(folder, "tallix.ini"), "wb") as f:
        f.write("[F1Location]".ljust(17).encode() + struct.pack("<hh", top, left) + bytes(30))


def session_bus():
    """The session bus, on the main loop pump runs."""
    import dbus
    import dbus.mainloop.glib
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    return dbus.SessionBus()


WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
</interface></node>"""


class Watcher:
    """Just enough of a StatusNotifierWatcher for Qt to choose the item."""

    def __init__(self, bus):
        import dbus.service

        watcher = self
        self.items = []

        class Service(dbus.service.Object):
            @dbus.service.method("org.kde.StatusNotifierWatcher", in_signature="s", sender_keyword="sender")
            def RegisterStatusNotifierItem(self, service, sender=None):
                watcher.items.append(service if service.startswith(":") or "." in service else sender)

            # Qt reads the host's property only where the introspection lists it.
            @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
            def Introspect(self):
                return WATCHER_XML

            @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
            def Get(self, interface, name):
                return self.GetAll(interface)[name]

            @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
            def GetAll(self, interface):
                return {"IsStatusNotifierHostRegistered": dbus.Boolean(True), "ProtocolVersion": dbus.Int32(0),
                        "RegisteredStatusNotifierItems": dbus.Array(watcher.items, signature="s")}

        self.name = dbus.service.BusName("org.kde.StatusNotifierWatcher", bus)
        self.service = Service(bus, "/StatusNotifierWatcher")


class TrayItem:
    """The program's item as the watcher's first registration names it, and its menu."""

    def __init__(self, bus, watcher):
        import dbus
        self.dbus = dbus
        self.item = bus.get_object(watcher.items[0], "/StatusNotifierItem")
        self.properties = dbus.Interface(self.item, dbus.PROPERTIES_IFACE)
        self.menu_path = self.prop("Menu")
        self.menu = dbus.Interface(bus.get_object(watcher.items[0], self.menu_path), "com.canonical.dbusmenu")

    def prop(self, name):
        return self.properties.Get("org.kde.StatusNotifierItem", name)

    def pictures(self):
        return [bytes(pixels[2]) for pixels in self.prop("IconPixmap")]

    def entries(self):
        """The menu's entries: (id, properties) in order."""
        _, layout = self.menu.GetLayout(0, -1, ["label", "type", "visible"])
        return [(child[0], child[1]) for child in layout[2]]

    def choose(self, label):
        """Clicks the menu's entry whose label, blanks aside, is `label`."""
        ids = {str(props.get("label", "")).strip(): id for id, props in self.entries()}
        self.menu.Event(ids[label], "clicked", self.dbus.Int32(0, variant_level=1), self.dbus.UInt32(0))


def tray_program(bus, watcher, folder, platform="xcb", prefix=(), **env):
    """Starts the program as start_program does and gives it with its item on `watcher`'s tray."""
    program = start_program(folder, platform, prefix, **env)
    if not pump(30, lambda: watcher.items):
        stop(program)
        sys.exit("FAILED: the program registered no item with the tray's watcher")
    return program, TrayItem(bus, watcher)


def atspi_window(pid, title_part=None):
    """The program's shown top-level window whose name holds `title_part`
    in the AT-SPI registry; without a title part, the program's own node."""
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
        if app is None or app.get_process_id() != pid:
            continue
        if title_part is None:
            return app
        for window in (app.getChildAtIndex(j) for j in range(app.childCount)):
            if window is not None and window.getState().contains(pyatspi.STATE_SHOWING) and \
                    title_part in (window.name or ""):
                return window
    return None


def make_namespace(prefix):
    """A network namespace of the check's own; needs root."""
    need("ip", "root")
    name = "%s-%d" % (prefix, os.getpid())
    if subprocess.call(["ip", "netns", "add", name]) != 0:
        skip("cannot make a network namespace")
    return name


def inside(namespace, *command):
    return ["ip", "netns", "exec", namespace] + list(command)


def tunnel(namespace, tun_ppp, name, *mode):
    """A tunnel `name` made by tun_ppp in the namespace, still down; closing its input hangs it up."""
    link = subprocess.Popen(inside(namespace, tun_ppp, name, *mode), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            text=True)
    ready = link.stdout.readline().strip()
    if ready != "ready " + name:
        skip("no tunnel here: " + ready)
    return link


def link_up(namespace, name):
    subprocess.check_call(inside(namespace, "ip", "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", name))
    subprocess.check_call(inside(namespace, "ip", "link", "set", name, "up"))


def hang_up(link):
    link.stdin.close()
    link.wait()
