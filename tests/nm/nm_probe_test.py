#!/usr/bin/env python3
"""The real program against a mock NetworkManager and a raw-IP modem link.

On a private system bus with python3-dbusmock's networkmanager template, and
the program offscreen in a network namespace: gsm connections activated and
dropped beside an ethernet one, one activating before it is activated, the
mock stopped while a raw-IP wwan0 tunnel comes and goes, and unreadable
answers. The record file must hold one pair per activation, at its times.
   nm_probe_test.py TALLIX TUN_PPP
"""
import datetime
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (bus_config, finish, hang_up, inside, link_up, make_namespace, need,  # noqa: E402
                           program_folder, skip, start_program, stop, tunnel, wait_until)

NM = "org.freedesktop.NetworkManager"
NM_PATH = "/org/freedesktop/NetworkManager"
ACTIVE = NM + ".Connection.Active"
DEVICE = NM + ".Device"
SLACK = 3  # seconds between an event and the tick that records it, on a busy machine


class Lab:
    """The bus, the mock on it, the namespace and its modem link."""

    def __init__(self, work, namespace, tun):
        import dbus
        self.dbus, self.work, self.namespace, self.tun = dbus, work, namespace, tun
        self.mock = self.link = None
        socket = os.path.join(work, "system_bus_socket")
        config = bus_config(work, "system", "unix:path=" + socket)
        self.daemon = subprocess.Popen(["dbus-daemon", "--nofork", "--config-file=" + config],
                                       stderr=subprocess.DEVNULL)
        self.address = "unix:path=" + socket
        if not wait_until(20, lambda: os.path.exists(socket)):
            skip("dbus-daemon could not make a private system bus")
        self.bus = dbus.bus.BusConnection(self.address)

    def start_mock(self):
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.mock = subprocess.Popen([sys.executable, "-m", "dbusmock", "--system", "--template", "networkmanager"],
                                     env=env, stdout=subprocess.DEVNULL)
        if not wait_until(20, lambda: self.bus.name_has_owner(NM)):
            sys.exit("FAILED: the mock did not take the name")
        self.nm = self.dbus.Interface(self.bus.get_object(NM, NM_PATH), "org.freedesktop.DBus.Mock")
        # An ethernet connection stands activated throughout: it never counts.
        eth = self.nm.AddEthernetDevice("eth0", "eth0", 100)
        self.activate(eth, "802-3-ethernet", "Wired", 2)
        self.modem = NM_PATH + "/Devices/modem0"
        self.nm.AddObject(self.modem, DEVICE, {
            "DeviceType": self.dbus.UInt32(8), "Interface": "cdc-wdm0", "IpInterface": "wwan0",
            "Metered": self.dbus.UInt32(1), "State": self.dbus.UInt32(30),
            "StateReason": (self.dbus.UInt32(30), self.dbus.UInt32(0)), "ActiveConnection": self.dbus.ObjectPath("/"),
        }, [])

    def stop_mock(self):
        self.mock.terminate()
        self.mock.wait()
        wait_until(20, lambda: not self.bus.name_has_owner(NM))

    def activate(self, device, kind, name, state):
        settings = self.dbus.Interface(self.bus.get_object(NM, NM_PATH + "/Settings"), NM + ".Settings")
        connection = settings.AddConnection({"connection": {"type": kind, "id": name}})
        return self.nm.AddActiveConnection([device], connection, "/", name, self.dbus.UInt32(state))

    def set_state(self, active, state):
        self.nm.SetProperty(active, ACTIVE, "State", self.dbus.UInt32(state, variant_level=1))

    def drop(self, active):
        self.nm.RemoveActiveConnection(self.modem, active)

    def list_active(self, paths, signature="o"):
        """Lists what the manager says is active, readable or not."""
        self.nm.SetProperty(NM_PATH, NM, "ActiveConnections", self.dbus.Array(paths, signature=signature))

    def modem_up(self):
        self.link = tunnel(self.namespace, self.tun, "wwan0", "raw")
        link_up(self.namespace, "wwan0")

    def modem_down(self):
        hang_up(self.link)
        self.link = None

    def close(self):
        stop(self.link, self.mock, self.daemon)


def pairs_in(path):
    """The (start, end) times of each connection in a record file."""
    data = open(path, "rb").read().decode("latin-1")
    records = [data[i:i + 29].rstrip() for i in range(0, len(data), 29)]
    found = []
    for start, end in zip(records[2::2], records[3::2]):
        if not start.startswith("start: ") or not end.startswith("_end : "):
            sys.exit("FAILED: records out of step: %r %r" % (start, end))
        found.append((datetime.datetime.strptime("20" + start[9:], "%Y/%m/%d %H:%M:%S"),
                      datetime.datetime.strptime(end[7:], "%Y/%m/%d %H:%M:%S")))
    return found


def scenario(lab, program):
    """Drives the lines; returns the (start, end) of each stretch that must be recorded."""
    now = datetime.datetime.now
    expected = []

    def stretch(up, down, seconds=4):
        up()
        began = now()
        time.sleep(seconds)
        down()
        expected.append((began, now()))
        time.sleep(3)

    lab.start_mock()
    time.sleep(4)  # only the ethernet connection: nothing
    gsm = []
    stretch(lambda: gsm.append(lab.activate(lab.modem, "gsm", "Provider", 2)), lambda: lab.drop(gsm[-1]))
    # Activating first: the record begins only once it is activated.
    gsm.append(lab.activate(lab.modem, "gsm", "Provider", 1))
    time.sleep(4)
    stretch(lambda: lab.set_state(gsm[-1], 2), lambda: lab.drop(gsm[-1]))

    lab.stop_mock()  # the kernel answers now: a raw-IP modem link counts
    time.sleep(2)
    stretch(lab.modem_up, lab.modem_down)
    lab.start_mock()
    time.sleep(7)  # asked again when its name appears, or a few seconds later
    stretch(lambda: gsm.append(lab.activate(lab.modem, "gsm", "Provider", 2)), lambda: lab.drop(gsm[-1]))

    # Unreadable answers about an activated gsm connection open nothing: a
    # state of the wrong type, no state, a type that is a number.
    dbus = lab.dbus
    for n, props in enumerate([{"Type": "gsm", "State": "2"}, {"Type": "gsm"},
                               {"Type": dbus.UInt32(7), "State": dbus.UInt32(2)}]):
        path = NM_PATH + "/ActiveConnection/bad%d" % n
        lab.nm.AddObject(path, ACTIVE, dict(props, Id="Bad", Devices=dbus.Array([], signature="o")), [])
        lab.list_active([path])
        time.sleep(3)
    lab.list_active(["/org/freedesktop/NetworkManager/ActiveConnection/x"], "s")  # not object paths
    time.sleep(3)
    lab.list_active([NM_PATH + "/ActiveConnection/vanished"])  # listed, but gone when asked
    time.sleep(3)
    # Meanwhile the kernel answers.
    stretch(lab.modem_up, lab.modem_down)
    if program.poll() is not None:
        sys.exit("FAILED: the program ended with status %d" % program.returncode)
    return expected


def main(tallix, tun):
    need("dbus-daemon", "py:dbus", "py:dbusmock")
    namespace = make_namespace("tallix-nm")
    lab = program = None
    with tempfile.TemporaryDirectory(prefix="tallix-nm-") as work:
        try:
            lab = Lab(work, namespace, tun)
            folder = program_folder(work, tallix)
            program = start_program(folder, prefix=inside(namespace), DBUS_SYSTEM_BUS_ADDRESS=lab.address)
            time.sleep(2)
            expected = scenario(lab, program)
        finally:
            if program is not None:
                program.terminate()
                program.wait()
            if lab is not None:
                lab.close()
            subprocess.call(["ip", "netns", "del", namespace])
        found = pairs_in(os.path.join(folder, "CountRec.zvt"))
    failures = []
    if len(found) != len(expected):
        failures.append("pairs recorded %s, expected %s" % (found, expected))
    slack = datetime.timedelta(seconds=SLACK)
    for (start, end), (began, ended) in zip(found, expected):
        if not (began - slack <= start <= began + slack and ended - slack <= end <= ended + slack):
            failures.append("pair %s - %s, expected %s - %s" % (start, end, began.replace(microsecond=0),
                                                                 ended.replace(microsecond=0)))
    finish(failures)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
