#!/usr/bin/env python3
"""Fills a program folder for the screenshots: a period of this month with a few
connections, last month's closed log, tallix.ini with the window at 24, 24
pixels, a budget of 50 hours and a data allowance of 10 GB, the bytes of this
month's connections, and a tariff.   sample_logs.py FOLDER"""
import datetime, struct, sys, zlib
folder = sys.argv[1]
today = datetime.date.today()
month = today.strftime("%Y/%m")
last = (today.replace(day=1) - datetime.timedelta(days=1)).strftime("%Y/%m")
def log(name, records):
    with open(f"{folder}/{name}", "wb") as f:
        for r in records:
            f.write(r.ljust(29).encode("ascii"))
pairs = [("02", "08:14:05", "09:02:47"), ("03", "20:31:10", "22:05:32"), ("05", "07:55:00", "08:20:19")]
records = [f"From : 01_{month}/01", "1_To : 31"]
for day, start, end in pairs:
    records += [f"start: 00{month[2:]}/{day} {start}", f"_end : {month}/{day} {end}"]
log("CountRec.zvt", records)
# Last month, closed: a connection or two on most days, one over midnight.
first = today.replace(day=1) - datetime.timedelta(days=1)
first = first.replace(day=1)
records = [f"From : 01_{last}/01", "0_To : 31"]
for day, start, minutes in [(1, "19:05:12", 47), (2, "20:11:40", 95), (4, "08:02:09", 22), (4, "21:30:00", 130),
                            (5, "18:44:31", 61), (7, "22:15:00", 170), (9, "12:01:55", 35), (10, "19:30:20", 240),
                            (11, "20:02:00", 83), (13, "09:15:10", 15), (14, "21:40:00", 65), (16, "17:25:45", 110),
                            (18, "23:10:00", 135), (20, "19:00:05", 52), (21, "07:45:30", 28), (21, "20:20:20", 77),
                            (23, "18:05:00", 190), (24, "19:50:44", 41), (26, "21:12:12", 98), (28, "22:30:00", 58)]:
    begin = datetime.datetime.combine(first.replace(day=day), datetime.time.fromisoformat(start))
    end = begin + datetime.timedelta(minutes=minutes, seconds=day * 7 % 60)
    records += [begin.strftime("start: 00%y/%m/%d %H:%M:%S"), end.strftime("_end : %Y/%m/%d %H:%M:%S")]
log("1.log", records)
# Its bytes received and sent, but for one connection the volume file has no line for.
import zlib
volume = "tallix volume 1\n" + "".join(
    f"{n + 1} {records[n][9:26]} {(n * 37_000_000 + 5_100_000) % 900_000_000} {(n * 1_300_000 + 250_000) % 40_000_000}\n"
    for n in range(2, len(records), 2) if n != 10)
with open(f"{folder}/1.log.vol", "w") as f:
    f.write(volume + "check %08x\n" % zlib.crc32(volume.encode()))
# tallix.ini: the window at 24, 24 pixels (360 twips), a budget of 50 hours.
with open(f"{folder}/tallix.ini", "wb") as f:
    f.write(b"[F1Location]".ljust(17) + struct.pack("<hh", 360, 360) + bytes(30))
    f.write(b"[CheckedRunMe]".ljust(17) + struct.pack("<hh", 0, 0) + bytes(30))
    f.write(b"[TimeBudget]".ljust(17) + struct.pack("<hh", 50, 0) + bytes(30))
    f.write(b"[DataAllowance]".ljust(17) + struct.pack("<hh", 100, 0) + bytes(30))
# The bytes received and sent of this month's connections, beside CountRec.zvt.
volume = "tallix volume 1\n" + "".join(
    f"{3 + 2 * i} {month[2:]}/{day} {start} {rx} {tx}\n"
    for i, ((day, start, _), (rx, tx)) in enumerate(zip(pairs, [(412_500_000, 38_200_000), (1_804_000_000, 91_000_000),
                                                              (160_300_000, 12_900_000)])))
with open(f"{folder}/CountRec.zvt.vol", "w") as f:
    f.write(volume + "check %08x\n" % zlib.crc32(volume.encode()))
# A tariff with off-peak evenings and weekends and a price on data past
# 2 GB, so costs show everywhere.
with open(f"{folder}/tariff.ini", "w") as f:
    f.write("[Tariff]\ncurrency = EUR\nper_call = 0.10\nunit = 60\nprice = 0.05\nminimum = 0.20\n"
            "[Off-peak]\ndays = Sat Sun\nhours = 21:00-07:00\nprice = 0.02\n"
            "[Volume]\nunit_bytes = 1000000\nprice = 0.002\nallowance_bytes = 2000000000\n")
