"""The real program in a data folder someone else has been busy in.

Links planted at every name the program reads or writes at start-up point to
files outside the folder (or to names that do not exist yet); the program is
started offscreen, left to run its first ticks and asked to end. Nothing
outside the folder may change or appear, and each link stays a link. In a
folder whose name is not valid UTF-8, one copy runs and a second is refused.
(A lock file left in the folder: tests/shell.)
"""
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
from whole_program import finish, program_folder  # noqa: E402

PLANTED = ["CountRec.zvt", "tallix.ini", "tariff.ini", "CountRec.log", "1.log", "Oldlog"]


def start(folder, **env):
    return subprocess.Popen([os.path.join(folder, b"tallix" if isinstance(folder, bytes) else "tallix")], cwd=folder,
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen", **env), stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)


def end(process):
    process.send_signal(signal.SIGTERM)
    try:
        return process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        return None


def snapshot(folder):
    """Every name below `folder`, with its bytes where it is a file."""
    paths = [os.path.join(root, name) for root, dirs, files in os.walk(folder) for name in dirs + files]
    return {os.path.relpath(p, folder): pathlib.Path(p).read_bytes() if os.path.isfile(p) else None for p in paths}


def planted_links(work, tallix, failures):
    outside = os.path.join(work, "outside")
    os.mkdir(outside)
    folder = program_folder(work, tallix)
    os.remove(os.path.join(folder, "CountRec.zvt"))
    for i, name in enumerate(PLANTED):
        target = os.path.join(outside, name)
        if i % 2 == 0:  # half point at files that exist, half at names to be made
            if name == "Oldlog":
                os.mkdir(target)
            else:
                with open(target, "wb") as f:
                    f.write(("From : 01_2002/04/01".ljust(29) + "0_To : 31".ljust(29)).encode())
        os.symlink(target, os.path.join(folder, name))
    before = snapshot(outside)
    program = start(folder)
    time.sleep(4)
    if program.poll() is not None:
        failures.append("links: the program ended by itself (%s)" % program.returncode)
    status = end(program)
    if status != 0:
        failures.append("links: the program did not end cleanly (%s)" % status)
    if snapshot(outside) != before:
        failures.append("links: something outside the folder changed: %s" % sorted(snapshot(outside)))
    for name in PLANTED:
        if not os.path.islink(os.path.join(folder, name)):
            failures.append("links: %s is no longer the planted link" % name)


def odd_name(work, tallix, failures):
    odd = os.path.join(work.encode(), b"program-\xff\xfe")
    os.rename(program_folder(work, tallix).encode(), odd)
    first = start(odd)
    time.sleep(3)
    if first.poll() is not None:
        failures.append("odd name: the first copy did not run: %s" % first.stderr.read().decode(errors="replace"))
        return
    second = start(odd, TALLIX_DISMISS_REFUSAL_MS="0")
    try:
        status = second.wait(15)
        if status != 0:
            failures.append("odd name: the second copy ended with %s" % status)
    except subprocess.TimeoutExpired:
        second.kill()
        failures.append("odd name: a second copy ran beside the first")
    if first.poll() is not None:
        failures.append("odd name: the first copy ended when the second started")
    end(first)


def main():
    failures = []
    for check in (planted_links, odd_name):
        with tempfile.TemporaryDirectory() as work:
            os.chmod(work, 0o700)
            check(work, sys.argv[1], failures)
    finish(failures)


if __name__ == "__main__":
    main()
