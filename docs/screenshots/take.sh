#!/usr/bin/env bash
# Takes the README's screenshots of the three views from the real program
# under Xvfb: ./docs/screenshots/take.sh [build folder]. Needs xvfb-run,
# ImageMagick's import, xdotool and openbox (a window manager for the frame).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="$root/docs/screenshots"
"$root/scripts/deps" screenshots
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A program folder with a period of this month and a few connections.
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
log("1.log", [f"From : 01_{last}/01", "1_To : 31", f"start: 00{last[2:]}/12 10:00:00", f"_end : {last}/12 11:30:00"])
# tallix.ini: the window at 24, 24 pixels (360 twips), a budget of 50 hours.
with open(f"{folder}/tallix.ini", "wb") as f:
    f.write(b"[F1Location]".ljust(17) + struct.pack("<hh", 360, 360) + bytes(30))
    f.write(b"[CheckedRunMe]".ljust(17) + struct.pack("<hh", 0, 0) + bytes(30))
    f.write(b"[TimeBudget]".ljust(17) + struct.pack("<hh", 50, 0) + bytes(30))
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
echo "screenshots written to $out"
