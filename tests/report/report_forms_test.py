#!/usr/bin/env python3
"""tallix-report's forms of one log must tell the same story.

On every input the fuzzer kept and on random logs (sound and damaged, some
with a volume file), part minutes off and on, under a random tariff: the JSON
written back in the view's forms is the text report, byte for byte, with the
same exit; connections, days and CSV rows add up to the same seconds, bytes
and costs; each connection's cost is a walk over its units plus its volume
part past the allowance its predecessors left.

Usage: report_forms_test.py TALLIX_REPORT CORPUS_FOLDER
"""
import codecs
import zlib
import csv
import datetime
import decimal
import io
import json
import os
import random
import re
import subprocess
import sys
import tempfile

RECORD = 29
BARE_REPORT = "file  created : \n         from : \n             to : \nfirst record : \n last record : \nTotal time : \n"
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
ISO_STAMP = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d")

# The report writes record bytes as they stand, and its JSON writes valid
# UTF-8 as it stands and every other byte as the character of that number.
codecs.register_error("bytewise", lambda e: ("".join(chr(b) for b in e.object[e.start:e.end]), e.end))


def text_of(data):
    if RUNNER:  # a Windows program writes its lines with CR LF
        data = data.replace(b"\r\n", b"\n")
    return data.decode("utf-8", errors="bytewise")


def shown_date(value):
    if value is None:
        return ""
    m = re.fullmatch(r"(\d{4})-(\d\d)-(\d\d)", value)
    return f"{m[3]} {MONTHS[int(m[2]) - 1]} {m[1]}" if m else value


def shown_stamp(value):
    if value is None:
        return ""
    m = re.fullmatch(r"(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)", value)
    if not m:
        return value
    hour = int(m[4])
    twelve = hour % 12 or 12
    return f"{m[3]} {MONTHS[int(m[2]) - 1]} {m[1]} - {twelve:02d}:{m[5]}:{m[6]} {'PM' if hour >= 12 else 'AM'}"


DAYS = "Mon Tue Wed Thu Fri Sat Sun".split()


def random_tariff(rng, volume=False):
    """A tariff file's text and its amounts in ten-thousandths; with `volume`
    now and then a [Volume] part."""
    t = {"currency": rng.choice(["", "EUR", "kr"]), "per_call": rng.choice([0, 1000, rng.randint(0, 99999)]),
         "unit": rng.choice([1, 30, 60, 60, 600, rng.randint(1, 3600)]), "price": rng.randint(0, 9999),
         "minimum": rng.choice([0, rng.randint(0, 99999)]), "days": set(rng.sample(range(7), rng.randint(0, 3))),
         "hours": rng.choice([None, (21 * 3600, 7 * 3600), (rng.randint(0, 1439) * 60, rng.randint(0, 1439) * 60)]),
         "off_price": rng.randint(0, 999)}
    if t["hours"] and t["hours"][0] == t["hours"][1]:
        t["hours"] = None
    amount = lambda v: f"{v // 10000}.{v % 10000:04d}"
    text = (f"[Tariff]\ncurrency = {t['currency']}\nper_call = {amount(t['per_call'])}\nunit = {t['unit']}\n"
            f"price = {amount(t['price'])} ; a comment\nminimum = {amount(t['minimum'])}\n[Off-peak]\n"
            f"days = {' '.join(DAYS[d] for d in sorted(t['days']))}\nprice = {amount(t['off_price'])}\n")
    if t["hours"]:
        text += "hours = {:02d}:{:02d}-{:02d}:{:02d}\n".format(*divmod(t["hours"][0] // 60, 60),
                                                          *divmod(t["hours"][1] // 60, 60))
    t["unit_bytes"] = 0
    if volume and rng.random() < 0.75:
        t.update(unit_bytes=rng.choice([1, 1000, 10**6, rng.randint(1, 10**7)]), volume_price=rng.randint(0, 99999),
                 allowance=rng.choice([0, rng.randint(0, 3 * 10**6)]))
        text += (f"[Volume]\nunit_bytes = {t['unit_bytes']}\nprice = {amount(t['volume_price'])}\n"
                 f"allowance_bytes = {t['allowance']}\n")
    return text, t


def volume_parts(t, connections):
    """Each connection's volume part in cents and whether it is only the least
    it can be: the allowance used in the connections' order."""
    if not t["unit_bytes"] or not t["volume_price"]:
        return [(0, False)] * len(connections)
    parts, used, unknown_before = [], 0, False
    for c in connections:
        if c.get("rx_bytes") is None:
            parts.append((0, True))
            unknown_before = True
            continue
        end = used + c["rx_bytes"] + c["tx_bytes"]
        units = -(-max(0, end - max(used, t["allowance"])) // t["unit_bytes"])
        parts.append(((units * t["volume_price"] + 50) // 100, unknown_before and used < t["allowance"]))
        used = end
    return parts


def bytes_text(n):
    if n < 1000:
        return f"{n} byte" + ("" if n == 1 else "s")
    for i, unit in enumerate(["kB", "MB", "GB", "TB", "PB"]):
        tenths = (n * 10 + 10 ** (3 * i + 3) // 2) // 10 ** (3 * i + 3)
        if tenths < 10000 or unit == "PB":
            return f"{tenths // 10}.{tenths % 10} {unit}"


def volume_file(rng, log):
    """A volume file for a log: lines for some of its starts (now and then
    another period's), or now and then a damaged one."""
    body = "tallix volume 1\n"
    for n in range(3, len(log) // RECORD + 1):
        text = log[(n - 1) * RECORD:n * RECORD].decode("latin-1")
        if text.startswith("start") and re.fullmatch(r"\d\d/\d\d/\d\d \d\d:\d\d:\d\d", text[9:26]) and rng.random() < 0.8:
            stamp = text[9:26] if rng.random() < 0.95 else "01" + text[11:26]
            body += f"{n} {stamp} {rng.choice([0, rng.randint(0, 10**6), rng.randint(0, 10**9)])} {rng.randint(0, 10**6)}\n"
    text = body + "check %08x\n" % zlib.crc32(body.encode())
    return text if rng.random() < 0.9 else text.replace("1", "2", 2)


def walked_cents(t, start, seconds, part_minute):
    """The cost of a connection unit by unit; None when that walk is too long."""
    units = -(-seconds // t["unit"])
    if units > 3000:
        return None
    m = re.fullmatch(r"(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)", start)
    if m:
        at = datetime.datetime(*map(int, m.groups()))
        day = at.toordinal() - 1  # 0001-01-01 was a Monday
        second = at.hour * 3600 + at.minute * 60 + (0 if part_minute else at.second)
    elif not re.fullmatch(r".{9}\d\d:\d\d:\d\d", start):
        return None  # a time of day of other characters: the numeric value's cases are the reader's tests
    else:  # no real date: the time of day alone, and no listed day
        day, second = None, int(start[9:11]) * 3600 + int(start[12:14]) * 60 + (0 if part_minute else int(start[15:17]))
    cost = t["per_call"]
    for k in range(units):
        d, s = divmod(second + k * t["unit"], 86400)
        off = day is not None and (day + d) % 7 in t["days"]
        if t["hours"]:
            a, b = t["hours"]
            off = off or (a <= s < b if a < b else s >= a or s < b)
        cost += t["off_price"] if off else t["price"]
    return (max(cost, t["minimum"]) + 50) // 100


def money(cents, currency):
    return f"{cents // 100}.{cents % 100:02d}" + (f" {currency}" if currency else "")


def as_text_report(obj):
    lines = [
        " file created : " + shown_date(obj["created"]) if obj["created"] else " file created : ",
        "         from : " + shown_date(obj["from"]),
        "             to : " + shown_date(obj["to"]),
        "first record : " + shown_stamp(obj["first_record"]),
        " last record : " + shown_stamp(obj["last_record"]),
        obj["total_shown"],
    ]
    if "volume_problem" in obj:
        lines.append("Total volume : unknown")
    elif "rx_bytes" in obj:
        unknown = sum(c["rx_bytes"] is None for c in obj["connections"])
        lines.append("Total volume =  " + ("at least " if unknown else "") + bytes_text(obj["rx_bytes"]) +
                     " received, " + bytes_text(obj["tx_bytes"]) + " sent" +
                     (f" ({unknown} connection{'s' if unknown > 1 else ''} unknown)" if unknown else ""))
    if "cost" in obj:
        lines.append("Total cost =  " + ("at least " if obj.get("cost_at_least") else "") +
                     money(int(obj["cost"] * 100), obj["currency"]))
    if obj["abandoned"]:
        lines.append("below data are abandoned :")
        lines.extend(obj["abandoned"])
    return "".join(line + "\n" for line in lines)


# Under Wine every run of the report starts Wine: TALLIX_REPORT_RUNNER names
# it, and TALLIX_REPORT_SAMPLE keeps that many inputs of each set.
RUNNER = os.environ["TALLIX_REPORT_RUNNER"].split() if os.environ.get("TALLIX_REPORT_RUNNER") else []
SAMPLE = int(os.environ.get("TALLIX_REPORT_SAMPLE", "0")) or None


def run(report, args):
    p = subprocess.run(RUNNER + [report] + args, capture_output=True, timeout=60)
    err = p.stderr
    if RUNNER:  # Wine's own lines are not the report's (a fault in its teardown, now and then)
        err = b"".join(line for line in err.splitlines(True) if not line.startswith(b"wine: "))
    return p.returncode, p.stdout, err


def record(text):
    data = text.encode("latin-1") if isinstance(text, str) else text
    return data[:RECORD].ljust(RECORD, b" ")


def random_log(rng):
    """A log of random connections in a random period, now and then damaged."""
    start_day = rng.randint(1, 28)
    end_day = start_day - 1 if start_day > 1 else 31
    made = datetime.datetime(rng.randint(1999, 2030), rng.randint(1, 12), start_day)
    records = [record(f"From : {start_day:02d}_{made:%Y/%m/%d}"), record(f"{rng.randint(0, 1)}_To : {end_day:02d}")]
    t = made + datetime.timedelta(seconds=rng.randint(0, 3600))
    for _ in range(rng.randint(0, 40)):
        t += datetime.timedelta(seconds=rng.randint(1, 3 * 86400))
        length = rng.choice([rng.randint(0, 120), rng.randint(0, 20000), rng.randint(86000, 200000)])
        end = t + datetime.timedelta(seconds=length)
        days = (end.date() - t.date()).days if length >= 86400 else 0
        start = f"start: {days:02d}{t:%y/%m/%d %H:%M:%S}"
        stop = f"_end : {end:%Y/%m/%d %H:%M:%S}"
        damage = rng.random()
        if damage < 0.03:
            start = start.replace(f"{days:02d}", rng.choice(["-5", " 5", "+1", "5 "]), 1)
        elif damage < 0.06:
            stop = stop[:18] + "24" + stop[20:]
        elif damage < 0.08:
            stop = "start" + stop[5:]
        records += [record(start), record(stop)]
        t = end
    data = b"".join(records)
    cut = rng.random()
    if cut < 0.05:
        data = data[: rng.randint(0, len(data))]
    elif cut < 0.08:
        spot = rng.randrange(len(data))
        data = data[:spot] + bytes([rng.randrange(256)]) + data[spot + 1:]
    return data


def check(report, files, part_minute, tariff, failures, seen):
    flags = (["--part-minute"] if part_minute else []) + ["--tariff", tariff[0]]
    t = tariff[1]
    _, js, _ = run(report, flags + ["--json"] + files)
    objects = json.loads(js, parse_float=decimal.Decimal)
    _, days_js, _ = run(report, flags + ["--json", "--per-day"] + files)
    days = json.loads(days_js)
    _, csv_out, _ = run(report, flags + ["--csv"] + files)
    rows = list(csv.DictReader(io.StringIO(text_of(csv_out))))
    objects = {o["file"]: o for o in objects}
    days = {d["file"]: d for d in days}
    for path in files:
        name = os.path.basename(path)

        def fail(what):
            failures.append(f"{name} (part-minute {'on' if part_minute else 'off'}): {what}")

        code, text, err = run(report, flags + [path])
        one_code, _, one_err = run(report, flags + ["--json", path])
        obj, per_day = objects.get(path), days.get(path)
        if obj is None or per_day is None:
            # Not shown at all (no file, or a foreign one): refused in every
            # form with the same message; the text shows the view's bare labels.
            if (code, err) != (one_code, one_err) or code == 0 or text_of(text) not in ("", BARE_REPORT):
                fail(f"left out of the JSON, but the text report exits {code} with {text!r}")
            continue
        if text_of(text) != as_text_report(obj):
            fail(f"JSON and text differ:\n{as_text_report(obj)!r}\n{text_of(text)!r}")
        if (code, err) != (one_code, one_err):
            fail(f"text exit {code} {err!r}, JSON exit {one_code} {one_err!r}")
        if (code == 0) != obj["complete"]:
            fail(f"exit {code} but complete {obj['complete']}")
        total = obj["total_seconds"]
        seen["connections"] += len(obj["connections"])
        seen["abandoned"] += len(obj["abandoned"]) // 2
        seen["cut short"] += not obj["complete"]
        if sum(c["seconds"] for c in obj["connections"]) != total:
            fail("the connections do not add up to the total")
        m = re.fullmatch(r"Total time =  (-?\d+) : (-?\d+) : (-?\d+)", obj["total_shown"])
        if (int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3]) if m else 0) != total:
            fail(f"total {total} s shown as {obj['total_shown']!r}")
        if sum(d["seconds"] for d in per_day["days"]) + per_day["undated_seconds"] != total:
            fail("the days do not add up to the total")
        # The CSV rows are the JSON's connections: pairs, seconds, the stamps
        # where they are real ones (else empty), costs.
        def iso(stamp):
            return stamp if ISO_STAMP.fullmatch(stamp) else ""
        number = lambda v: None if v in ("", None) else int(v)
        in_csv = [(int(r["start record"]), int(r["seconds"]), r["start iso"], r["end iso"],
                   int(decimal.Decimal(r["cost"]) * 100), number(r.get("received bytes")), number(r.get("sent bytes")),
                   r.get("cost at least") == "yes") for r in rows if r["file"] == path and r["seconds"] != ""]
        costs = [int(c["cost"] * 100) for c in obj["connections"]]
        in_json = [(c["start_record"], c["seconds"], iso(c["start"]), iso(c["end"]), cents, c.get("rx_bytes"),
                    c.get("tx_bytes"), c.get("cost_at_least", False)) for c, cents in zip(obj["connections"], costs)]
        if in_csv != in_json:
            fail(f"CSV rows {in_csv[:3]}..., JSON {in_json[:3]}...")
        if sum(costs) != int(obj["cost"] * 100) or obj["currency"] != t["currency"]:
            fail(f"the connections' costs {costs} do not add up to {obj['cost']} {obj['currency']}")
        parts = volume_parts(t, obj["connections"])
        if obj.get("cost_at_least", False) != any(at_least for _, at_least in parts):
            fail(f"cost_at_least {obj.get('cost_at_least')} but the connections' parts {parts}")
        for c, cents, (volume_cents, at_least) in zip(obj["connections"], costs, parts):
            walked = walked_cents(t, c["start"], c["seconds"], part_minute)
            seen["priced unit by unit"] += walked is not None
            seen["priced by volume"] += volume_cents > 0
            if walked is not None and walked + volume_cents != cents:
                fail(f"{c} costs {cents} cents, unit by unit {walked} + {volume_cents} under {t}")
            if c.get("cost_at_least", False) != at_least:
                fail(f"{c}: at least should be {at_least}")
        # The volume: the known bytes add up per log and per day, and the
        # days count the connections of unknown volume.
        if ("rx_bytes" in obj) != ("undated_rx_bytes" in per_day):
            fail("the JSON and the per-day JSON disagree on a volume file")
        if "rx_bytes" in obj:
            seen["with volume"] += 1
            known = [c for c in obj["connections"] if c["rx_bytes"] is not None]
            unknown = len(obj["connections"]) - len(known)
            sums = (sum(c["rx_bytes"] for c in known), sum(c["tx_bytes"] for c in known), unknown)
            day_sums = tuple(sum(d[k] for d in per_day["days"]) + per_day["undated_" + k]
                             for k in ("rx_bytes", "tx_bytes", "volume_unknown"))
            if sums != (obj["rx_bytes"], obj["tx_bytes"], unknown) or day_sums != sums:
                fail(f"volume {sums}, in the log {obj['rx_bytes']}, {obj['tx_bytes']}, by day {day_sums}")
            if obj["volume_complete"] != (unknown == 0 and "volume_problem" not in obj):
                fail("volume_complete is wrong")
        if obj["connections"] or per_day["days"]:
            _, day_text, _ = run(report, flags + ["--per-day", path])
            volume = lambda d, pre="": (f" {d[pre + 'rx_bytes']} {d[pre + 'tx_bytes']} {d[pre + 'volume_unknown']}"
                                        if "undated_rx_bytes" in per_day else "")
            lines = [f"{d['date']} {d['seconds']}" + volume(d) for d in per_day["days"]]
            if per_day["undated_seconds"] or volume(per_day, "undated_") not in ("", " 0 0 0"):
                lines.append(f"undated {per_day['undated_seconds']}" + volume(per_day, "undated_"))
            if text_of(day_text).splitlines() != lines:
                fail("per-day text and JSON differ")


def main():
    report, corpus = sys.argv[1], sys.argv[2]
    failures = []
    seen = {"connections": 0, "abandoned": 0, "cut short": 0, "priced unit by unit": 0, "priced by volume": 0,
            "with volume": 0}
    with tempfile.TemporaryDirectory() as tmp:
        rng = random.Random(int(os.environ.get("TALLIX_REPORT_SEED", "20020416")))
        randoms = []
        for i in range(150):
            path = os.path.join(tmp, f"{i}.log")
            log = random_log(rng)
            with open(path, "wb") as f:
                f.write(log)
            if i % 3:
                with open(path + ".vol", "w") as f:
                    f.write(volume_file(rng, log))
            randoms.append(path)
        kept = sorted(os.path.join(corpus, n) for n in os.listdir(corpus))[:SAMPLE]
        randoms = randoms[:SAMPLE]
        for files in (kept, randoms):
            for part_minute in (False, True):
                text, tariff = random_tariff(rng, volume=True)
                tariff_path = os.path.join(tmp, "tariff.ini")
                with open(tariff_path, "w") as f:
                    f.write(text)
                check(report, files, part_minute, (tariff_path, tariff), failures, seen)
    for f in failures[:20]:
        print("FAIL", f)
    print(f"{len(failures)} differences over {len(kept)} kept inputs and {len(randoms)} random logs, twice;",
          ", ".join(f"{v} {k}" for k, v in seen.items()))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
