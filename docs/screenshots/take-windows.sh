#!/usr/bin/env bash
# Takes the Windows screenshots from the real tallix.exe under Wine, on Xvfb
# with openbox: the icon's menu in Wine's own system tray, then the main
# window's three views. Builds with scripts/check-windows first if needed.
#   ./docs/screenshots/take-windows.sh [Windows build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-windows/tallix}"
out="$root/docs/screenshots"
"$root/scripts/deps" windows
qt="$("$root/scripts/build-qt-windows" | tail -1)"
[ -f "$build/bin/tallix.exe" ] || "$root/scripts/check-windows" >/dev/null
source "$root/scripts/wine-env"

work="$(mktemp -d)"
cp "$build/bin/tallix.exe" "$work/"
python3 "$root/docs/screenshots/sample_logs.py" "$work"

# A screen of our own, with a window manager for the frames.
exec 3< <(Xvfb -displayfd 1 -screen 0 640x480x24 -dpi 96 -nolisten tcp 2>/dev/null)
read -r display <&3
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
wine_start keep-display
trap 'wine_stop; pkill -f "Xvfb -displayfd 1 -screen 0 640x480x24" || true; rm -rf "$work"' EXIT

find_window() {
  for _ in $(seq 100); do
    xdotool search --name "$1" 2>/dev/null | head -1 && return 0
    sleep 0.2
  done
  echo "take-windows.sh: no window named '$1' appeared" >&2
  return 1
}
shot() { import -window root -trim +repage "$out/$1.png"; }

(cd "$work" && "$wine_cmd" tallix.exe >/dev/null 2>&1) &
tray="$(find_window 'Wine System Tray')"
sleep 2
# The icon sits at the tray window's top left.
icon() { xdotool mousemove --window "$tray" 8 8 click 3; sleep 1; }
icon
shot windows-tray-menu
xdotool mousemove_relative 40 44 click 1   # Show, the third line of the menu
win="$(find_window 'Vossberry Tallix')"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.8; }
xdotool mousemove 0 0
shot windows-main
click 160 40   # Settings
shot windows-settings
click 92 40    # Calculation
click 300 97   # CountRec.log in the file list
click 378 166  # Load
shot windows-calculation
echo "screenshots written to $out"
