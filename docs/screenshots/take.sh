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
python3 "$root/docs/screenshots/sample_logs.py" "$work"

xvfb-run -a -s "-screen 0 520x460x24 -dpi 96" bash -s "$work" "$out" <<'SH'
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
# It belongs to the main window, which a window manager minimizes it with, so
# it is shot on its own, frame included.
xdotool mousemove 0 0
sleep 0.6
import -window "$usage" -frame +repage "$out/$name.png"
kill "$app"
SH
done
# The icon on LXQt's panel and its menu, shot by the panel check itself.
/usr/bin/python3 "$root/tests/tray/lxqt_panel_test.py" "$build/bin/tallix" "$out"
echo "screenshots written to $out"
