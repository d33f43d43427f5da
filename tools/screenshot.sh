#!/usr/bin/env bash
# Screenshots of the window on a virtual 1280 x 800 X display:
#   01-startup.png   the window at start-up, with the splash picture
#   02-opened.png    a picture opened, before Apply
#   03-result.png    the warped result beside the source ("同时显示(Show Both)")
#   04-shape-list.png the shape list open over the window, a shape just chosen
#   05-preview.png   the live preview after the angle was turned to 90
#   06-actual-size.png "100%" checked, the picture dragged to its middle
#   07-apply-progress.png a 5000 x 5000 Apply under way: the window paints on
#   08-wide-preview.png a 5000 x 300 picture: the preview is the flat strip
# Each shot also as the window alone, 800 wide (window-NN-*.png), for the README.
# Usage: tools/screenshot.sh [OUTPUT_DIR]   (default: build/screenshots)
# Drives the window with xdotool through its menu and the Enter key.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVEL_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/screenshots}")
source "$root/tools/deps.sh"
quorvel_install_missing xvfb xdotool imagemagick fonts-wqy-microhei x11-utils

if [ ! -x "$build/bin/quorvel" ] || [ ! -x "$build/bin/quorvel-shape" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quorvel quorvel_shapelib
fi
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A picture with something to follow through the warp: colour, a grid, text.
convert -size 800x600 -seed 7 plasma:gold-steelblue -blur 0x2 \
  -stroke 'rgba(255,255,255,0.8)' -strokewidth 3 \
  -draw "$(for i in $(seq 0 80 800); do printf 'line %d,0 %d,600 ' "$i" "$i"; done)" \
  -draw "$(for i in $(seq 0 75 600); do printf 'line 0,%d 800,%d ' "$i" "$i"; done)" \
  -stroke none -fill '#16324f' -font DejaVu-Sans-Bold -pointsize 64 -gravity center \
  -annotate +0+0 'PICTURE' "$work/picture.jpg"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$build/bin/quorvel" >"$work/window.log" 2>&1 &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Quorvel$' | head -1)
sleep 2
shot() {
  import -window root "$out/$1.png"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$out/$1.png" -crop "${WIDTH}x$((HEIGHT + 23))+$X+$Y" +repage -resize 800x "$out/window-$1.png"
}
shot 01-startup

# 文件(File) -> 打开图片(Open)..., then type the path into the file dialog.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 30)) $((Y + 10)) click 1
sleep 0.5
xdotool key Down Return
sleep 1.5
xdotool type --delay 10 "$work/picture.jpg"
xdotool key Return
sleep 1.5
shot 02-opened

# Enter presses the default button, "变形(Apply)". Without a window manager
# the keyboard focus does not come back by itself when the file dialog goes.
xdotool windowfocus --sync "$window"
xdotool key Return
sleep 3
shot 03-result
# The shape list button (1011) lies at client (421, 3), 21 x 48; the client
# area starts below the menu bar. The list opens at (105, 110) of the window.
menu_height=23
xdotool mousemove $((X + 431)) $((Y + menu_height + 27)) click 1
sleep 1
# Third thumbnail of the first row: 60-pixel pitch inside the list at (9, 9).
xdotool mousemove $((X + 105 + 9 + 2 * 60 + 30)) $((Y + 110 + 9 + 30)) click 1
sleep 1
shot 04-shape-list

# A press on the window's own surface closes the list; then the angle slider
# (client: 9 from the right, 139 wide, at y 192) goes up nine pages to 90.
xdotool mousemove $((X + 500)) $((Y + menu_height + 300)) click 1
sleep 0.5
xdotool mousemove $((X + WIDTH - 9 - 135)) $((Y + menu_height + 204)) click 1
xdotool key Home
for _ in $(seq 9); do xdotool key Page_Up; done
sleep 1
shot 05-preview
# "100%" (client 456, 18; 52 x 15), then a drag from the middle of the view.
xdotool mousemove $((X + 470)) $((Y + menu_height + 25)) click 1
sleep 0.5
xdotool mousemove $((X + 300)) $((Y + menu_height + 350)) mousedown 1 \
  mousemove $((X + 250)) $((Y + menu_height + 320)) mousemove $((X + 150)) $((Y + menu_height + 250)) mouseup 1
sleep 0.5
shot 06-actual-size

# The window starts with a picture given on its command line.
restart() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  "$build/bin/quorvel" "$1" >>"$work/window.log" 2>&1 &
  app_pid=$!
  window=$(xdotool search --sync --onlyvisible --name '^Quorvel' | head -1)
  sleep 3
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool windowfocus --sync "$window"
}
convert -size 5000x5000 -define gradient:angle=35 gradient:gold-steelblue \
  -stroke white -strokewidth 12 \
  -draw "$(for i in $(seq 0 500 5000); do printf 'line %d,0 %d,5000 line 0,%d 5000,%d ' "$i" "$i" "$i" "$i"; done)" \
  -quality 92 "$work/big.jpg"
restart "$work/big.jpg"
xdotool key Return
sleep 4
shot 07-apply-progress
# Let the Apply end before the window goes.
for _ in $(seq 120); do grep -q 'MapAllPixels time' "$work/window.log" && break; sleep 0.5; done
sleep 2

convert -size 5000x300 -define gradient:angle=90 gradient:'#c0392b'-'#2471a3' \
  -stroke white -strokewidth 8 \
  -draw "$(for i in $(seq 0 250 5000); do printf 'line %d,0 %d,300 ' "$i" "$i"; done)" "$work/wide.jpg"
restart "$work/wide.jpg"
sleep 1
shot 08-wide-preview

grep -E 'time =' "$work/window.log" || true
ls -l "$out"
