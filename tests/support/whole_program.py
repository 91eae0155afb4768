"""What the whole-program checks in Python share."""
import datetime
import os
import shutil
import sys


def program_folder(work, tallix):
    """Makes `work`/program, a program folder of its own holding a copy of the
    program and a period of this calendar month, and returns its path."""
    folder = os.path.join(work, "program")
    os.mkdir(folder)
    shutil.copy(tallix, os.path.join(folder, "tallix"))
    today = datetime.date.today().strftime("%Y/%m/%d")
    with open(os.path.join(folder, "CountRec.zvt"), "wb") as f:
        f.write(("From : 01_" + today).ljust(29).encode() + "0_To : 31".ljust(29).encode())
    return folder


def finish(failures):
    """Prints each failure and ends the check with its status."""
    for failure in failures:
        print("FAILED: " + failure)
    sys.exit(1 if failures else 0)
