#!/usr/bin/env python3
"""The real tallix.exe under 64-bit Wine, inside a private network namespace
with a PPP-type tunnel, which Wine's interface table shows as a PPP interface,
up and connected while the tunnel is up. Two stretches of the link must give
one start/end record pair each, within three seconds of the real times, in
the right folder. In the program mode datagrams go through the line and come
back, and each connection's bytes in CountRec.zvt.vol must be within 1% of
the tunnel's own counts: the figure comes from Wine's interface row.

  wine_dialup_test.py TUN_PPP program DIR   tallix.exe of DIR (a build or a
        staged copy; Qt's DLLs from $QT_WINDOWS when DIR has none): its files
        beside itself, as a portable copy keeps them
  wine_dialup_test.py TUN_PPP zip ZIP       the portable copy, unpacked: the same
  wine_dialup_test.py TUN_PPP setup EXE     a silent install (/S), then the
        installed program: its files in %LOCALAPPDATA%\\tallix\\, none beside it
  wine_dialup_test.py TUN_PPP setup-unicode EXE   the same for a user whose
        name is not ASCII (%LOCALAPPDATA% is C:\\users\\Дмитрий Łukasz\\...)
  wine_dialup_test.py TUN_PPP uninstall-online EXE   the silent install, one
        stretch, then a silent uninstall while the link is up: its close
        request ends the program, whose open pair must end within three
        seconds of it; nothing of the program is left (needs Xvfb: without a
        display Wine's programs cannot find each other's windows)

Exit 0 passed, 1 failed, 77 skipped (no root for the namespace, no Wine, no
tunnel device), with the reason on the last line.
"""
import datetime
import getpass
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

SKIP = 77
TOLERANCE = 3  # seconds between a real change of the link and its record


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def listing(folder):
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder) for f in files)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def records(path):
    with open(path, "rb") as f:
        data = f.read()
    return [data[i:i + 29].decode("latin-1") for i in range(0, len(data), 29)]


def stamp(record):
    """The time of a start record ("start: ", the day count, then the time
    with a two-digit year) or of an end record ("_end : " and the time)."""
    try:
        if record.startswith("start:"):
            return datetime.datetime.strptime(record[9:26], "%y/%m/%d %H:%M:%S")
        return datetime.datetime.strptime(record[7:26], "%Y/%m/%d %H:%M:%S")
    except ValueError:
        return None


def check_pairs(zvt, stretches):
    """One pair per stretch after the two header records, each time close to the real one."""
    if not os.path.exists(zvt):
        return ["no record file " + zvt]
    got = records(zvt)
    failures = []
    if len(got) != 2 + 2 * len(stretches):
        failures.append("%d records, expected %d: %r" % (len(got), 2 + 2 * len(stretches), got))
    for n, (up, down) in enumerate(stretches):
        pair = got[2 + 2 * n:4 + 2 * n]
        if len(pair) < 2:
            break
        for record, kind, real in ((pair[0], "start:", up), (pair[1], "_end :", down)):
            when = stamp(record)
            if not record.startswith(kind) or when is None:
                failures.append("record %r is not a %s record" % (record, kind))
            elif abs((when - real).total_seconds()) > TOLERANCE:
                failures.append("%r: the link changed at %s" % (record, real.strftime("%H:%M:%S")))
    return failures


def kernel_counts(inside):
    """The line's bytes received and sent so far, as the kernel counts them."""
    return tuple(int(subprocess.check_output(inside + ["cat", "/sys/class/net/ppp0/statistics/" + name]))
                 for name in ("rx_bytes", "tx_bytes"))


def send_datagrams(inside, count, size):
    """Datagrams through the line; the tunnel's far end sends each one back."""
    script = ("import socket\ns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\ns.settimeout(2)\n"
              "for _ in range(%d):\n    s.sendto(b'x' * %d, ('10.64.0.1', 9))\n    s.recv(65536)\n" % (count, size))
    subprocess.check_call(inside + ["python3", "-c", script])


def check_volume(vol, counted):
    """Each connection's line of the volume file within 1% of the kernel's counts."""
    if not os.path.exists(vol):
        return ["no volume file " + vol]
    with open(vol) as f:
        lines = f.read().splitlines()
    rows = [line.split() for line in lines[1:-1]]
    if len(rows) != len(counted) or any(len(row) != 5 for row in rows):
        return ["volume file %r, expected %d connections" % (lines, len(counted))]
    failures = []
    for row, kernel in zip(rows, counted):
        for got, want, what in ((int(row[3]), kernel[0], "received"), (int(row[4]), kernel[1], "sent")):
            if want < 100000 or abs(got - want) > want // 100:
                failures.append("%s %d bytes in %r, the kernel counted %d" % (what, got, row, want))
    return failures


def main(tun_ppp, mode, target):
    if os.geteuid() != 0:
        skip("a network namespace needs root")
    wine = shutil.which("wine") or shutil.which("wine64")
    wineserver = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
    if wine is None:
        skip("no Wine")
    namespace = "tallix-wine-%d" % os.getpid()
    prefix = tempfile.mkdtemp(prefix="tallix-wine.")
    env = dict(os.environ, WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", LANG="C.UTF-8")
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    xvfb = None
    if mode == "uninstall-online":
        if shutil.which("Xvfb") is None:
            skip("no Xvfb")
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        env["DISPLAY"] = ":" + xvfb.stdout.readline().strip()
    inside = ["ip", "netns", "exec", namespace]
    quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program = None
    persistent = None
    failures = []
    if subprocess.call(["ip", "netns", "add", namespace]) != 0:
        skip("cannot make a network namespace")
    try:
        # Wine's own server runs in the namespace, so its interface table is
        # the namespace's.
        subprocess.call(inside + [wine, "wineboot", "--init"], **quiet)
        # No display: Wine's windows go to its null graphics driver.
        if xvfb is None:
            subprocess.call(inside + [wine, "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics", "/d",
                                      "null", "/f"], **quiet)
        subprocess.call([wineserver, "-w"], **quiet)
        drive_c = os.path.join(prefix, "drive_c")
        local = os.path.join(drive_c, "users", getpass.getuser(), "AppData", "Local", "tallix")
        if mode == "setup-unicode":
            # Wine names the profile after the Unix user; the session's
            # environment is taken from the registry while its server runs.
            user = "Дмитрий Łukasz"
            persistent = subprocess.Popen(inside + [wineserver, "-f", "-p"], **quiet)
            subprocess.call(inside + [wine, "cmd", "/c", "echo"], **quiet)
            subprocess.call(inside + [wine, "reg", "add", "HKCU\\Volatile Environment", "/v", "LOCALAPPDATA", "/d",
                                      "C:\\users\\%s\\AppData\\Local" % user, "/f"], **quiet)
            local = os.path.join(drive_c, "users", user, "AppData", "Local", "tallix")
            os.makedirs(os.path.dirname(local))
        if mode.startswith("setup") or mode == "uninstall-online":
            if subprocess.call(inside + [wine, target, "/S"], **quiet) != 0:
                return ["the silent install failed"]
            if persistent is None:
                subprocess.call([wineserver, "-w"], **quiet)
            folder = os.path.join(drive_c, "Program Files", "Tallix")
            data = local
        elif mode == "zip":
            with zipfile.ZipFile(target) as z:
                z.extractall(drive_c)
                folder = os.path.join(drive_c, os.path.dirname(next(n for n in z.namelist() if n.endswith("tallix.exe"))))
            data = folder
        else:
            folder = os.path.join(drive_c, "tallix")
            os.mkdir(folder)
            shutil.copy(os.path.join(target, "tallix.exe"), folder)
            qt = os.environ.get("QT_WINDOWS", os.path.expanduser("~/.cache/tallix/qt6-mingw"))
            if not os.path.exists(os.path.join(target, "Qt6Core.dll")):
                # Qt's DLLs and the MinGW runtime they load, where they were built.
                gcc = subprocess.run(["x86_64-w64-mingw32-g++-posix", "-print-libgcc-file-name"],
                                     capture_output=True, text=True).stdout.strip()
                dlls = [os.path.join(qt, "bin"), os.path.dirname(gcc), "/usr/x86_64-w64-mingw32/lib"]
                env["WINEPATH"] = ";".join(windows_path(d) for d in dlls)
                env["WINEQT_PLUGIN_PATH"] = windows_path(os.path.join(qt, "plugins"))
            data = folder
        if not os.path.exists(os.path.join(folder, "tallix.exe")):
            return ["no tallix.exe in " + folder]
        before = listing(folder)

        # A period of this calendar month, so that the program records.
        os.makedirs(data, exist_ok=True)
        today = datetime.date.today().strftime("%Y/%m/%d")
        with open(os.path.join(data, "CountRec.zvt"), "wb") as f:
            f.write(("From : 01_" + today).ljust(29).encode() + "0_To : 31".ljust(29).encode())

        program = subprocess.Popen(inside + [wine, os.path.join(folder, "tallix.exe")], cwd=prefix, **quiet)
        deadline = time.monotonic() + 90
        while not os.path.exists(os.path.join(data, "tallix.ini")) and time.monotonic() < deadline:
            if program.poll() is not None:
                return ["the program ended at start-up with status %d" % program.returncode]
            time.sleep(0.5)
        if not os.path.exists(os.path.join(data, "tallix.ini")):
            return ["the program made no tallix.ini in %s within 90 s" % data]
        time.sleep(3)

        stretches = []
        counted = []
        for seconds in ((6, 9) if mode != "uninstall-online" else (40,)):
            line = subprocess.Popen(inside + [tun_ppp, "ppp0"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                    text=True)
            ready = line.stdout.readline().strip()
            if ready != "ready ppp0":
                line.wait()
                skip("no tunnel here: " + ready)
            subprocess.check_call(inside + ["ip", "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", "ppp0"])
            subprocess.check_call(inside + ["ip", "link", "set", "ppp0", "up"])
            up = datetime.datetime.now()
            if mode == "program":
                # Bytes count from the start the program records, so the
                # datagrams wait for its start record.
                zvt = os.path.join(data, "CountRec.zvt")
                deadline = time.monotonic() + 10
                while len(records(zvt)) < 4 + 2 * len(stretches) and time.monotonic() < deadline:
                    time.sleep(0.2)
                send_datagrams(inside, 120, 1000)
                time.sleep(max(0, seconds - (datetime.datetime.now() - up).total_seconds()))
                counted.append(kernel_counts(inside))
            else:
                time.sleep(seconds)
            if mode == "uninstall-online":
                # The uninstaller as it runs itself, from a copy outside the
                # folder; its close request comes while the link is up.
                shutil.copy(os.path.join(folder, "Uninstall.exe"), os.path.join(drive_c, "un.exe"))
                closed = datetime.datetime.now()
                status = subprocess.call(inside + [wine, "cmd", "/c", "C:\\un.exe /S _?=C:\\Program Files\\Tallix"],
                                         **quiet)
                if status != 0:
                    failures.append("the uninstall exited %d" % status)
                if os.path.exists(folder):
                    failures.append("left in the installed folder: %r" % listing(folder))
                line.stdin.close()
                line.wait()
                stretches.append((up, closed))
                break
            line.stdin.close()
            line.wait()
            stretches.append((up, datetime.datetime.now()))
            time.sleep(5)
        if mode == "uninstall-online":
            program.wait(timeout=30)
            return failures + check_pairs(os.path.join(data, "CountRec.zvt"), stretches)
        if program.poll() is not None:
            failures.append("the program ended with status %d" % program.returncode)
        failures += check_pairs(os.path.join(data, "CountRec.zvt"), stretches)
        if mode == "program":
            failures += check_volume(os.path.join(data, "CountRec.zvt.vol"), counted)
        if mode.startswith("setup") and listing(folder) != before:
            failures.append("files beside the installed program: %r" % sorted(set(listing(folder)) - set(before)))
        if not mode.startswith("setup") and os.path.exists(local):
            failures.append("a portable copy made %s" % local)
        return failures
    finally:
        subprocess.call([wineserver, "-k"], **quiet)
        if persistent is not None:
            persistent.wait()
        if program is not None:
            program.wait()
        subprocess.call(["ip", "netns", "del", namespace])
        shutil.rmtree(prefix, ignore_errors=True)
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[2] not in ("program", "zip", "setup", "setup-unicode",
                                                                "uninstall-online"):
        sys.exit(__doc__)
    result = main(*sys.argv[1:])
    for failure in result:
        print("FAILED: " + failure)
    print("FAILED" if result else "PASSED: %s %s" % (sys.argv[2], sys.argv[3]))
    sys.exit(1 if result else 0)
