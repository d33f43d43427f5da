#!/usr/bin/env bash
# Draws the window's built-in pictures into resources/: the start-up picture,
# the icon, the button faces and the two stamps. Needs ImageMagick and the
# WenQuanYi Micro Hei font (apt-get install imagemagick fonts-wqy-microhei).
# The PNGs are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources"

cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
sans=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
# No timestamps or other metadata, so a rerun gives the same files.
strip=(-strip -define png:exclude-chunks=date,time)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A colourful checked square, then the same square squeezed into a disk:
# what the program does, in one picture.
convert -size 80x80 xc:'#f4a261' -fill '#2a9d8f' -draw "rectangle 0,0 39,39" \
  -draw "rectangle 40,40 79,79" "$tmp/tile.png"
convert -size 320x320 tile:"$tmp/tile.png" "$tmp/checks.png"
convert "$tmp/checks.png" -virtual-pixel Transparent -distort Polar 150 "$tmp/disk.png"

# 146: start-up picture, 807 x 556, RGB without alpha.
convert -size 556x807 gradient:'#16324f'-'#3c6e91' -rotate -90 \
  \( "$tmp/checks.png" -resize 150x150 \) -geometry +430+200 -composite \
  -stroke '#e9f5db' -strokewidth 4 -fill none -draw "line 597,275 622,275" \
  -draw "polyline 612,265 624,275 612,285" -stroke none \
  \( "$tmp/disk.png" -resize 150x150 \) -geometry +636+200 -composite \
  -fill white -font "$sans" -pointsize 72 -annotate +60+200 'Quorvel' \
  -fill '#e9f5db' -font "$cjk" -pointsize 30 -annotate +62+262 '把图片变成任意形状' \
  -pointsize 22 -annotate +62+300 'Warp a picture into a shape' \
  -fill '#a8c5da' -pointsize 18 -annotate +62+470 '打开图片, 选择形状, 然后按 "变形(Apply)"' \
  -annotate +62+498 'Open a picture, pick a shape, then press "变形(Apply)"' \
  -annotate +700+535 '1.00' \
  -alpha off "${strip[@]}" PNG24:splash.png

# 128: program icon.
convert -size 256x256 xc:none -fill '#16324f' -draw "roundrectangle 8,8 247,247 40,40" \
  \( "$tmp/disk.png" -resize 190x190 \) -geometry +33+33 -composite \
  "${strip[@]}" PNG32:icon.png

# 135: shape drop-down face, 20 x 50: a small outline above a down arrow.
convert -size 20x50 xc:none -stroke '#16324f' -strokewidth 2 -fill '#a8c5da' \
  -draw "circle 10,14 10,6" -stroke none -fill '#16324f' \
  -draw "polygon 4,32 16,32 10,40" "${strip[@]}" PNG32:face_shape.png

# 136: open face, 32 x 25: a folder.
convert -size 32x25 xc:none -fill '#e9a23b' -stroke '#8a5a14' -strokewidth 1 \
  -draw "polygon 3,5 12,5 14,8 28,8 28,21 3,21" \
  -fill '#f6c768' -draw "polygon 3,21 7,11 31,11 28,21" "${strip[@]}" PNG32:face_open.png

# 137: save face, 32 x 25: a disk.
convert -size 32x25 xc:none -fill '#2f5d8a' -stroke '#16324f' -strokewidth 1 \
  -draw "polygon 6,2 23,2 26,5 26,23 6,23" -stroke none \
  -fill '#e9f5db' -draw "rectangle 10,3 21,9" -fill white -draw "rectangle 9,14 23,22" \
  -fill '#2f5d8a' -draw "rectangle 18,4 20,8" "${strip[@]}" PNG32:face_save.png

# 142: download face, 32 x 25: an arrow into a tray.
convert -size 32x25 xc:none -fill '#2a9d8f' -draw "rectangle 13,2 18,11" \
  -draw "polygon 8,11 23,11 15,19" -stroke '#16324f' -strokewidth 2 -fill none \
  -draw "polyline 5,16 5,22 26,22 26,16" "${strip[@]}" PNG32:face_download.png

# 140: large stamp, 100 x 30, half transparent.
convert -size 100x30 xc:none -fill 'rgba(255,255,255,0.45)' -draw "roundrectangle 0,0 99,29 8,8" \
  -fill 'rgba(22,50,79,0.7)' -font "$sans" -pointsize 17 -gravity center -annotate +0+0 'Quorvel' \
  "${strip[@]}" PNG32:stamp_large.png

# 141: small stamp, 15 x 15.
convert -size 15x15 xc:none -fill 'rgba(255,255,255,0.5)' -draw "circle 7,7 7,0" \
  -fill 'rgba(22,50,79,0.75)' -font "$sans" -pointsize 11 -gravity center -annotate +0+0 'Q' \
  "${strip[@]}" PNG32:stamp_small.png

identify splash.png icon.png face_*.png stamp_*.png
