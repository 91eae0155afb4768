#!/usr/bin/env python3
"""The main window's place survives restarts under openbox, which frames it.

With no tray the program shows its main window at start, and closing it saves
the place in tallix.ini: round after round the place must stay as stored, not
creep by the title bar or the border. A place off every screen brings the
window back onto it.
   window_place_test.py TALLIX
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import (Desktop, finish, need, program_folder, read_place, shown_window, start_program,  # noqa: E402
                           stop, wait_until, write_place)

SCREEN = (1280, 800)
TWIPS = 15  # to a pixel at the scale the test runs at


def frame_corner(window):
    """Where the window's frame stands: its client area less openbox's frame extents."""
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
    at = dict(line.strip().split(":", 1) for line in info.splitlines() if "Absolute upper-left" in line)
    extents = subprocess.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], capture_output=True, text=True).stdout
    left, _, top, _ = (int(n) for n in extents.split("=")[1].split(","))
    return int(at["Absolute upper-left X"]) - left, int(at["Absolute upper-left Y"]) - top


def one_round(folder):
    """Starts the program, closes its window as a person would, and gives the place saved."""
    os.environ.pop("DBUS_SESSION_BUS_ADDRESS", None)  # no tray host: the window shows at start
    program = start_program(folder, "xcb")
    try:
        window = wait_until(20, lambda: shown_window(program.pid))
        if window is None:
            sys.exit("FAILED: the main window did not show")
        time.sleep(1.5)  # openbox frames it, and the program sets it at its place
        frame = frame_corner(window)
        # The title bar's close: openbox sends the window WM_DELETE_WINDOW. In
        # the program's first half minute a tray may still come, so the window
        # hides and the program stays; the place is saved either way.
        subprocess.run(["xdotool", "windowactivate", "--sync", window, "key", "--clearmodifiers", "alt+F4"])
        if wait_until(20, lambda: shown_window(program.pid) is None) is not True:
            sys.exit("FAILED: the window did not close")
        if program.poll() is not None:
            sys.exit("FAILED: the program ended with status %d" % program.returncode)
        return read_place(folder), frame
    finally:
        stop(program)


def main(tallix):
    need("xdotool", "xprop", "xwininfo")
    desktop = Desktop("%dx%d" % SCREEN)
    failures = []
    try:
        with tempfile.TemporaryDirectory(prefix="tallix-place-") as work:
            folder = program_folder(work, tallix)
            stored = (1500, 3000)
            write_place(folder, *stored)
            for turn in range(3):
                saved, frame = one_round(folder)
                if saved != stored:
                    failures.append("round %d: stored top, left %s came back as %s" % (turn + 1, stored, saved))
                if frame != (stored[1] // TWIPS, stored[0] // TWIPS):
                    failures.append("round %d: stored top, left %s opened the frame at x, y %s" % (turn + 1, stored, frame))
                stored = saved

            # Far right and below every screen: the window comes back where it can be seen.
            write_place(folder, 20000, 30000)
            saved, frame = one_round(folder)
            if not (0 <= frame[0] < SCREEN[0] - 100 and 0 <= frame[1] < SCREEN[1] - 100):
                failures.append("a place off the screen opened the window at %s" % (frame,))
            if saved is None or not (0 <= saved[0] < SCREEN[1] * TWIPS and 0 <= saved[1] < SCREEN[0] * TWIPS):
                failures.append("a place off the screen was saved as %s" % (saved,))
    finally:
        desktop.close()
    finish(failures)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
