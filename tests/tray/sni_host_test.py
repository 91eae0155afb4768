#!/usr/bin/env python3
"""The tray icon against a real StatusNotifierItem host.

Under Xvfb, with a private D-Bus session bus, this registers a
StatusNotifierWatcher, starts the real program (xcb platform) inside a network
namespace with a PPP-type tunnel, and reads its item over D-Bus: the tooltip,
an icon, the menu through com.canonical.dbusmenu, and a new icon when the line
comes up. Exit 77 (skipped, with the reason) only where Xvfb, a bus or a
namespace cannot be made.
   sni_host_test.py TALLIX TUN_PPP
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import finish, program_folder  # noqa: E402

SKIP = 77
# The menu's items in order, separators left out.
EXPECTED_MENU = [" " + word for word in "About Show Usage Help Remove".split()]


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def outer(tallix, tun_ppp):
    """Makes the display and the bus, then runs the check on that bus."""
    for tool in ("Xvfb", "dbus-run-session", "ip"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed")
    if os.geteuid() != 0:
        skip("needs root to make a network namespace and a tunnel")
    namespace = "tallix-tray-%d" % os.getpid()
    if subprocess.call(["ip", "netns", "add", namespace]) != 0:
        skip("cannot make a network namespace")
    work = tempfile.mkdtemp(prefix="tallix-tray-")
    # The display lives in the namespace too: its abstract socket is then the
    # test's alone, whatever other servers come and go in the shared /tmp.
    display = next(str(n) for n in range(100 + os.getpid() % 400, 1000) if not os.path.exists("/tmp/.X%d-lock" % n))
    xvfb = subprocess.Popen(["ip", "netns", "exec", namespace, "Xvfb", ":" + display,
                             "-screen", "0", "1280x1024x24", "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
    try:
        # Wait until the server takes calls.
        knock = "import socket; socket.socket(socket.AF_UNIX).connect('\\0/tmp/.X11-unix/X%s')" % display
        deadline = time.monotonic() + 20
        while display and subprocess.call(["ip", "netns", "exec", namespace, sys.executable, "-c", knock],
                                          stderr=subprocess.DEVNULL) != 0:
            if time.monotonic() > deadline or xvfb.poll() is not None:
                display = ""
            time.sleep(0.2)
        if not display:
            skip("Xvfb could not start a display")
        # A bus on a socket file, not an abstract one: abstract sockets belong
        # to a network namespace, and the program runs in another.
        config = os.path.join(work, "bus.conf")
        with open(config, "w") as f:
            f.write('<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth>'
                    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                    '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' % work)
        env = dict(os.environ, DISPLAY=":" + display)
        status = subprocess.call(["dbus-run-session", "--config-file=" + config, "--", sys.executable,
                                  __file__, "--on-bus", tallix, tun_ppp, work, namespace], env=env)
        sys.exit(status)
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
        subprocess.call(["ip", "netns", "del", namespace])


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


def pump(seconds, until=lambda: False):
    """Runs the D-Bus main loop for up to `seconds`, until `until()` gives a
    true value; returns its last value."""
    from gi.repository import GLib

    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False)
        value = until()
        if value:
            return value
        time.sleep(0.05)
    return until()


def on_bus(tallix, tun_ppp, work, namespace):
    import dbus
    import dbus.mainloop.glib

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)

    line = program = None
    failures = []
    try:
        inside = ["ip", "netns", "exec", namespace]
        line = subprocess.Popen(inside + [tun_ppp, "ppp0"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        ready = line.stdout.readline().strip()
        if ready != "ready ppp0":
            skip("no tunnel here: " + ready)
        folder = program_folder(work, tallix)
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        program = subprocess.Popen(inside + [os.path.join(folder, "tallix")], env=env, cwd=folder)

        if not pump(30, lambda: watcher.items):
            sys.exit("FAILED: the program registered no item with the watcher")
        item = bus.get_object(watcher.items[0], "/StatusNotifierItem")
        properties = dbus.Interface(item, dbus.PROPERTIES_IFACE)

        def prop(name):
            return properties.Get("org.kde.StatusNotifierItem", name)

        tip = prop("ToolTip")
        if "Zvt" not in (str(tip[2]), str(tip[3])):
            failures.append("tooltip %r" % (tuple(tip),))
        offline = [bytes(pixels[2]) for pixels in prop("IconPixmap")]
        if not offline or not any(offline):
            failures.append("no icon")

        menu_path = prop("Menu")
        if menu_path == "/NO_DBUSMENU":
            failures.append("no menu exported")
        else:
            menu = dbus.Interface(bus.get_object(watcher.items[0], menu_path), "com.canonical.dbusmenu")
            _, layout = menu.GetLayout(0, -1, ["label", "type", "visible"])
            labels = [str(child[1].get("label", "")) for child in layout[2]
                      if child[1].get("type", "standard") != "separator" and child[1].get("visible", True)]
            if labels != EXPECTED_MENU:
                failures.append("menu %r, expected %r" % (labels, EXPECTED_MENU))

        # The line comes up: the next tick opens a record and shows the first online picture.
        subprocess.check_call(inside + ["ip", "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", "ppp0"])
        subprocess.check_call(inside + ["ip", "link", "set", "ppp0", "up"])
        if not pump(15, lambda: [bytes(p[2]) for p in prop("IconPixmap")] != offline):
            failures.append("the icon did not change when the line came up")
        if program.poll() is not None:
            failures.append("the program ended with status %d" % program.returncode)
        elif menu_path != "/NO_DBUSMENU":
            # Remove while online: the program ends at once, and the open
            # pair's end carries the moment of the click, not the last
            # even-minute refresh.
            pump(3)
            remove = [child[0] for child in layout[2] if str(child[1].get("label", "")) == " Remove"]
            clicked = datetime.datetime.now().replace(microsecond=0)
            menu.Event(remove[0], "clicked", dbus.String("", variant_level=1), dbus.UInt32(0))
            pump(10, lambda: program.poll() is not None)
            if program.poll() != 0:
                failures.append("Remove did not end the program (%s)" % program.poll())
            with open(os.path.join(folder, "CountRec.zvt"), "rb") as f:
                records = [f.read(29).decode().rstrip() for _ in range(4)]
            end = records[3][7:] if records[3].startswith("_end : ") else ""
            try:
                ended = datetime.datetime.strptime(end, "%Y/%m/%d %H:%M:%S")
            except ValueError:
                ended = None
            if ended is None or abs((ended - clicked).total_seconds()) > 2:
                failures.append("after Remove the end record reads %r; clicked at %s" % (records[3], clicked))
    finally:
        if program is not None:
            program.kill()
            program.wait()
        if line is not None:
            line.stdin.close()
            line.wait()
    finish(failures)


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "--on-bus":
        on_bus(*sys.argv[2:])
    elif len(sys.argv) == 3:
        outer(*sys.argv[1:])
    else:
        sys.exit(__doc__)
