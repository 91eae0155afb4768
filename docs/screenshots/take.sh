#!/usr/bin/env bash
# Takes the README's screenshots of the three views, the Usage window, and the icon and its menu on
# LXQt's panel from the real program under Xvfb: ./docs/screenshots/take.sh [build folder]. Needs
# xvfb-run, ImageMagick's import, xdotool, openbox (a window manager for the frame) and lxqt-panel.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="$root/docs/screenshots"
"$root/scripts/deps" screenshots
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A program folder with a period of this month and a few connections, a budget and a tariff.
cp "$build/bin/tallix" "$work/"
python3 - "$work" <<'PY'
import datetime, struct, sys
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
# tallix.ini: the window at 24, 24 pixels (360 twips), a budget of 50 hours.
with open(f"{folder}/tallix.ini", "wb") as f:
    f.write(b"[F1Location]".ljust(17) + struct.pack("<hh", 360, 360) + bytes(30))
    f.write(b"[CheckedRunMe]".ljust(17) + struct.pack("<hh", 0, 0) + bytes(30))
    f.write(b"[TimeBudget]".ljust(17) + struct.pack("<hh", 50, 0) + bytes(30))
# A tariff with off-peak evenings and weekends, so costs show everywhere.
with open(f"{folder}/tariff.ini", "w") as f:
    f.write("[Tariff]\ncurrency = EUR\nper_call = 0.10\nunit = 60\nprice = 0.05\nminimum = 0.20\n"
            "[Off-peak]\ndays = Sat Sun\nhours = 21:00-07:00\nprice = 0.02\n")
PY

xvfb-run -a -s "-screen 0 520x400x24 -dpi 96" bash -s "$work" "$out" <<'SH'
set -euo pipefail
work="$1"; out="$2"
openbox >/dev/null 2>&1 &
sleep 1
"$work/tallix" >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do
  win="$(xdotool search --name 'Vossberry Tallix' 2>/dev/null | head -1 || true)"
  [ -n "$win" ] && break
  sleep 0.2
done
sleep 1
# The client area starts below the menu bar; controls are placed in twips.
eval "$(xdotool getwindowgeometry --shell "$win")"
menu=0  # xdotool reports the top of the central area under openbox
click() { xdotool mousemove $((X + $1)) $((Y + menu + $2)) click 1; sleep 0.6; }
shot() { import -window root -trim +repage "$out/$1.png"; }
xdotool mousemove 0 0
shot main
click 160 40   # Settings
shot settings
click 92 40    # Calculation
click 300 97   # CountRec.log in the file list
click 378 166  # Load
shot calculation
kill "$app"
SH

# The Usage window of last month's log, opened by a double-click on it in the
# Calculation view, at 96 dpi and at twice that (Qt's scale factor 2).
for scale in 1 2; do
  name=usage; [ "$scale" = 2 ] && name=usage-192
  xvfb-run -a -s "-screen 0 $((900 * scale))x$((640 * scale))x24 -dpi $((96 * scale))" \
    bash -s "$work" "$out" "$scale" "$name" <<'SH'
set -euo pipefail
work="$1"; out="$2"; f="$3"; name="$4"
openbox >/dev/null 2>&1 &
sleep 1
QT_SCALE_FACTOR="$f" "$work/tallix" >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do
  win="$(xdotool search --name 'Vossberry Tallix' 2>/dev/null | head -1 || true)"
  [ -n "$win" ] && break
  sleep 0.2
done
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
click() { xdotool mousemove $((X + $1 * f)) $((Y + $2 * f)) click "${@:3}" 1; sleep 0.6; }
click 92 40                 # Calculation
click 300 81 --repeat 2     # a double-click on 1.log
usage="$(xdotool search --name '^ Usage$' 2>/dev/null | head -1 || true)"
[ -n "$usage" ] || { echo "take.sh: no Usage window appeared" >&2; exit 1; }
xdotool windowminimize "$win"
xdotool mousemove 0 0
sleep 0.6
import -window root -trim +repage "$out/$name.png"
kill "$app"
SH
done
# The icon on LXQt's panel and its menu, shot by the panel check itself.
python3 "$root/tests/tray/lxqt_panel_test.py" "$build/bin/tallix" "$out"
echo "screenshots written to $out"
