"""A desktop of the tests' own: Xvfb on a free display and openbox on it.

Used by the whole-program checks beside it. A missing tool is a skip
(exit 77, with the reason), never a failure.
"""
import os
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import finish as report, program_folder  # noqa: E402,F401  (the checks beside it use both)

SKIP = 77


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def need(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            skip(tool + " is not installed")


def wait_until(seconds, ready, step=0.1):
    """Polls `ready` until it gives something true or the time is up."""
    deadline = time.monotonic() + seconds
    while True:
        value = ready()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


class Desktop:
    """Xvfb at `size` with openbox managing its windows; DISPLAY is set for children."""

    def __init__(self, size="1280x800"):
        need("Xvfb", "openbox")
        # Xvfb picks a free display itself and says which on the pipe.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.openbox = None
        with os.fdopen(read_end) as answer:
            number = answer.readline().strip()
        if not number:
            self.close()
            skip("Xvfb could not start a display")
        self.display = ":" + number
        os.environ["DISPLAY"] = self.display
        self.openbox = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        # openbox owns the screen's manager selection once it runs.
        if not wait_until(20, lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in xprop_root()):
            self.close()
            skip("openbox did not start")

    def close(self):
        for process in (self.openbox, self.xvfb):
            if process is not None and process.poll() is None:
                process.terminate()
                process.wait()


def xprop_root():
    result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True)
    return result.stdout


def read_place(folder):
    """Top and left of the main window in tallix.ini, in twips."""
    with open(os.path.join(folder, "tallix.ini"), "rb") as f:
        record = f.read(51)
    if len(record) < 21 or record[:17].decode("latin-1").strip() != "[F1Location]":
        return None
    return struct.unpack("<hh", record[17:21])


def write_place(folder, top, left):
    record = "[F1Location]".ljust(17).encode() + struct.pack("<hh", top, left) + bytes(30)
    with open(os.path.join(folder, "tallix.ini"), "wb") as f:
        f.write(record)


def run(outer, on_bus, usage):
    """A check's command line: the program to check, or --on-bus and the
    program once the check's own bus is up."""
    if len(sys.argv) == 3 and sys.argv[1] == "--on-bus":
        on_bus(sys.argv[2])
    elif len(sys.argv) == 2:
        outer(sys.argv[1])
    else:
        sys.exit(usage)
