#!/usr/bin/env python3
"""What a Windows user gets from the packages, under 64-bit Wine on a private
Xvfb display, in a throw-away Wine prefix:

  wine_install_test.py PACKAGE_DIR

PACKAGE_DIR is what scripts/package-windows made: tallix-<v>-win64-setup.exe,
tallix-<v>-win64.zip and the folder tallix-<v>-win64 they were made from.

- Both programs carry a resource section with the program's icon, a manifest
  with UTF-8 as the code page, and a version resource of the project version;
  the installer shows the same icon.
- The zip and the installed folder hold our licence and every bundled
  component's.
- A silent install puts exactly the package's files in place; the installed
  program starts. Installing again over the running copy ends it, replaces
  every file and starts it again. A file held open by another program makes
  the install and the uninstall fail (exit code 2), never a success.
- A silent uninstall while the program runs ends it and leaves nothing of
  the program: not its files, its Start-menu entry, its uninstall entry or its
  own Run value. The records stay, and so does another copy's Run value.

Exit 0 passed, 1 failed, 77 skipped (no Wine, no Xvfb), the reason last.
"""
import getpass
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_resources  # noqa: E402

SKIP = 77
INSTALLED = "C:\\Program Files\\Tallix"
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tallix"
LICENCES = ["LICENSE.txt", "licenses/Qt-LGPL-3.0.txt", "licenses/GPL-3.0.txt", "licenses/Qt-source.txt",
            "licenses/Qt-components.txt", "licenses/MinGW-GCC-runtime.txt", "licenses/MinGW-w64-runtime.txt"]

# Holds a file open without sharing until its input closes: another program
# using one of Tallix's files.
HOLDER = r"""
#include <windows.h>
#include <stdio.h>
int wmain(int argc, wchar_t** argv) {
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  printf("held\n");
  fflush(stdout);
  getchar();
  CloseHandle(file);
  return 0;
}
"""


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def listing(folder):
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder) for f in files)


def same_bytes(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def windows_processes(path):
    """Process ids of the Windows programs running the file `path` (as Wine
    shows it in their command line)."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read().split(b"\0")[0].decode("utf-8", "replace")
        except OSError:
            continue
        if command.lower() == path.lower():
            found.append(int(pid))
    return found


class Wine:
    def __init__(self, prefix, display):
        self.wine = shutil.which("wine") or shutil.which("wine64")
        self.server = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", DISPLAY=display, LANG="C.UTF-8")
        self.drive_c = os.path.join(prefix, "drive_c")

    def run(self, *args, timeout=300):
        return subprocess.run([self.wine, *args], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True, timeout=timeout)

    def start(self, *args, **kwargs):
        return subprocess.Popen([self.wine, *args], env=self.env, stderr=subprocess.DEVNULL, **kwargs)

    def unix(self, windows_path):
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    def reg_has(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value else [])
        return self.run(*args).returncode == 0

    def uninstall(self):
        """The uninstaller as it runs itself: a copy outside the folder, told
        the folder, so that its exit code is its own."""
        shutil.copy(os.path.join(self.unix(INSTALLED), "Uninstall.exe"), os.path.join(self.drive_c, "un.exe"))
        status = self.run("cmd", "/c", "C:\\un.exe /S _?=" + INSTALLED).returncode
        os.remove(os.path.join(self.drive_c, "un.exe"))
        return status


def check_resources(stage, version, failures):
    icon = pe_resources.icon_images(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                                 "packaging", "windows", "tallix.ico"))
    for name in ("tallix.exe", "tallix-report.exe"):
        path = os.path.join(stage, name)
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", path], capture_output=True, text=True).stdout
        if ".rsrc" not in sections:
            failures.append("%s has no resource section" % name)
            continue
        with open(path, "rb") as f:
            found = pe_resources.resources(f.read())
        fixed, product = pe_resources.version(found[pe_resources.RT_VERSION][0][1])
        if product != version or not fixed.startswith(version):
            failures.append("%s has version %s (%s), not %s" % (name, product, fixed, version))
        icons = [data for _, data in found.get(pe_resources.RT_ICON, [])]
        if any(image not in icons for image in icon):
            failures.append("%s does not carry the program's icon" % name)
        manifest = found.get(pe_resources.RT_MANIFEST, [(0, b"")])[0][1]
        if b">UTF-8</activeCodePage>" not in manifest:
            failures.append("%s has no manifest asking for UTF-8" % name)


def main(package_dir):
    wine_program = shutil.which("wine") or shutil.which("wine64")
    if wine_program is None:
        skip("no Wine")
    if shutil.which("Xvfb") is None:
        skip("no Xvfb")
    setup = next((f for f in os.listdir(package_dir) if f.endswith("-win64-setup.exe")), None)
    if setup is None:
        return ["no installer in " + package_dir]
    name = setup[:-len("-setup.exe")]
    version = name[len("tallix-"):-len("-win64")]
    stage = os.path.join(package_dir, name)
    setup = os.path.join(package_dir, setup)
    failures = []

    check_resources(stage, version, failures)
    with open(setup, "rb") as f:
        setup_icons = [data for _, data in pe_resources.resources(f.read()).get(pe_resources.RT_ICON, [])]
    if not any(image in setup_icons for image in pe_resources.icon_images(
            os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging", "windows",
                         "tallix.ico"))):
        failures.append("the installer does not show the program's icon")
    with zipfile.ZipFile(os.path.join(package_dir, name + ".zip")) as z:
        names = z.namelist()
    missing = [f for f in LICENCES if name + "/" + f not in names]
    if missing:
        failures.append("the zip lacks %s" % missing)

    prefix = tempfile.mkdtemp(prefix="tallix-wine.")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    wine = Wine(prefix, ":" + xvfb.stdout.readline().strip())
    holder = None
    try:
        wine.run("wineboot", "--init")
        subprocess.call([wine.server, "-w"], env=wine.env)
        folder = wine.unix(INSTALLED)
        data = os.path.join(wine.drive_c, "users", getpass.getuser(), "AppData", "Local", "tallix")
        program = INSTALLED + "\\tallix.exe"

        # 1. A silent install: the package's files, nothing else but the uninstaller.
        if wine.run(setup, "/S").returncode != 0:
            return failures + ["the silent install failed"]
        expected = sorted(listing(stage) + ["Uninstall.exe"])
        if listing(folder) != expected:
            failures.append("installed %r, not the package's %r" % (listing(folder), expected))
        missing = [f for f in LICENCES if not os.path.exists(os.path.join(folder, f))]
        if missing:
            failures.append("the installed folder lacks %s" % missing)

        # 2. The installed program runs and makes its files; a period is set,
        # so there are records to keep. Its own Run value and another copy's.
        os.makedirs(data, exist_ok=True)
        with open(os.path.join(data, "CountRec.zvt"), "wb") as f:
            f.write(b"From : 01_2026/01/01".ljust(29) + b"0_To : 31".ljust(29))
        wine.start(program, cwd=prefix)
        deadline = time.monotonic() + 90
        while not os.path.exists(os.path.join(data, "tallix.ini")) and time.monotonic() < deadline:
            time.sleep(0.5)
        first = windows_processes(program)
        if not first:
            return failures + ["the installed program did not start"]
        wine.run("reg", "add", RUN_KEY, "/v", "Tallix (%s)" % INSTALLED, "/d", '"%s"' % program, "/f")
        wine.run("reg", "add", RUN_KEY, "/v", "Tallix (C:\\portable)", "/d", "C:\\portable\\tallix.exe", "/f")

        # 3. Installed again over the running copy: it ends, every file is
        # the package's, and it runs again.
        if wine.run(setup, "/S").returncode != 0:
            failures.append("installing over the running program failed")
        stale = [f for f in listing(stage) if not same_bytes(os.path.join(stage, f), os.path.join(folder, f))]
        if stale:
            failures.append("not replaced over the running program: %r" % stale)
        if any(pid in windows_processes(program) for pid in first):
            failures.append("the running copy was not ended")
        deadline = time.monotonic() + 30
        while not windows_processes(program) and time.monotonic() < deadline:
            time.sleep(0.5)
        if not windows_processes(program):
            failures.append("the program does not run again after the upgrade")

        # 4. A file another program holds cannot be replaced or removed:
        # the install and the uninstall fail, and say so.
        source = os.path.join(prefix, "holder.c")
        with open(source, "w") as f:
            f.write(HOLDER)
        subprocess.check_call(["x86_64-w64-mingw32-gcc", "-municode", "-o", os.path.join(wine.drive_c, "holder.exe"),
                               source])
        holder = wine.start("C:\\holder.exe", INSTALLED + "\\LICENSE.txt", stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True, cwd=prefix)
        if holder.stdout.readline().strip() != "held":
            failures.append("the holder could not open LICENSE.txt")
        status = wine.run(setup, "/S").returncode
        if status != 2:
            failures.append("an install that could not replace a file exited %d, not 2" % status)
        status = wine.uninstall()
        if status != 2:
            failures.append("an uninstall that could not remove a file exited %d, not 2" % status)
        if not wine.reg_has(UNINSTALL_KEY):
            failures.append("a failed uninstall removed the uninstall entry")
        holder.stdin.close()
        holder.wait(timeout=30)
        holder = None
        # Installing again mends it; then the program runs again.
        if wine.run(setup, "/S").returncode != 0:
            failures.append("installing again after a failed uninstall failed")
        wine.start(program, cwd=prefix)
        deadline = time.monotonic() + 60
        while not windows_processes(program) and time.monotonic() < deadline:
            time.sleep(0.5)

        # 5. A silent uninstall while it runs: nothing of the program is left.
        records = open(os.path.join(data, "CountRec.zvt"), "rb").read()
        status = wine.uninstall()
        if status != 0:
            failures.append("the silent uninstall exited %d" % status)
        if os.path.exists(folder):
            failures.append("left in the installed folder: %r" % listing(folder))
        if windows_processes(program):
            failures.append("the program still runs after the uninstall")
        start_menu = os.path.join(wine.drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs")
        if os.path.exists(os.path.join(start_menu, "Tallix.lnk")):
            failures.append("the Start-menu entry is left")
        if wine.reg_has(UNINSTALL_KEY):
            failures.append("the uninstall entry is left")
        if wine.reg_has(RUN_KEY, "Tallix (%s)" % INSTALLED):
            failures.append("the program's Run value is left")
        if not wine.reg_has(RUN_KEY, "Tallix (C:\\portable)"):
            failures.append("the uninstall removed another copy's Run value")
        for kept in ("CountRec.zvt", "tallix.ini"):
            if not os.path.exists(os.path.join(data, kept)):
                failures.append("the uninstall removed the records' %s" % kept)
        if os.path.exists(os.path.join(data, "CountRec.zvt")) and \
                open(os.path.join(data, "CountRec.zvt"), "rb").read()[:58] != records[:58]:
            failures.append("the record file's period changed")
        return failures
    finally:
        if holder is not None:
            holder.kill()
        subprocess.call([wine.server, "-k"], env=wine.env)
        xvfb.kill()
        xvfb.wait()
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    result = main(sys.argv[1])
    for failure in result:
        print("FAILED: " + failure)
    print("FAILED" if result else "PASSED: " + sys.argv[1])
    sys.exit(1 if result else 0)
