#!/usr/bin/env bash
# Builds a test set of real outlines (glyphs of the fonts on this machine,
# icon-like glyphs, jagged traced blobs) with quorvel-shape build and prints
# one line per outline: name, exit status, seconds, method, reached share.
# Usage: tools/shape_testset.sh BUILD_DIR OUT_DIR
# Needs ImageMagick (convert), GNU time (/usr/bin/time) and the
# fonts-dejavu, fonts-liberation and fonts-freefont-ttf packages.
set -u
build=${1:-build}
out=${2:-/tmp/quorvel-testset}
shape=${QUORVEL_SHAPE:-"$build/bin/quorvel-shape"}
mkdir -p "$out"

fonts=(
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf
  /usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf
  /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
  /usr/share/fonts/truetype/freefont/FreeSerifBold.ttf
)
glyphs=(T L I S Z 2 3 5 7 A R G)
icons=("✈" "✓" "❄" "♥" "✚" "★" "☂" "♞" "⚓" "☎" "✿" "☘")

# A glyph, black on white, as the PNG a user would trace.
render() { convert -background white -fill black -font "$1" -pointsize 360 "label:$2" \
             -bordercolor white -border 20 "$3" 2>/dev/null; }

for font in "${fonts[@]}"; do
  [ -f "$font" ] || continue
  f=$(basename "$font" .ttf)
  for g in "${glyphs[@]}"; do render "$font" "$g" "$out/${f}_$g.png"; done
done
for i in "${!icons[@]}"; do
  render /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "${icons[$i]}" "$out/icon_$i.png"
done
# Jagged blobs: a smooth blob whose border is perturbed at several scales,
# written as SVG (quorvel-shape build renders and traces it itself).
python3 - "$out" <<'PY'
import math, random, sys
out = sys.argv[1]
for seed in range(16):
    rnd = random.Random(seed)
    waves = [(k, rnd.uniform(0.02, 0.12) / (1 + k / 6), rnd.uniform(0, 6.3)) for k in (2, 3, 5)]
    jag = [(k, rnd.uniform(0.004, 0.02) * (1 + seed % 4), rnd.uniform(0, 6.3)) for k in (17, 31, 57, 101)]
    pts = []
    for i in range(1500):
        t = 2 * math.pi * i / 1500
        r = 1 + sum(a * math.sin(k * t + p) for k, a, p in waves + jag) + rnd.uniform(-0.006, 0.006) * (seed % 3)
        pts.append((500 + 380 * r * math.cos(t) * (1 + 0.3 * (seed % 2)), 500 + 380 * r * math.sin(t)))
    path = "M" + " L".join("%.2f %.2f" % p for p in pts) + " Z"
    w = 1000 * (1 + 0.3 * (seed % 2))
    open("%s/blob_%02d.svg" % (out, seed), "w").write(
        '<svg xmlns="http://www.w3.org/2000/svg" viewBox="-150 0 %d 1000"><path d="%s"/></svg>' % (w + 300, path))
PY

printf '%-28s %4s %6s %-9s %s\n' outline exit secs method reach
for src in "$out"/*.png "$out"/*.svg; do
  n=$(basename "${src%.*}")
  # Processor seconds (user + system), as the build's own time limit counts
  # them: on a shared machine wall time says more about the neighbours.
  log=$(/usr/bin/time -f 'cpu %U %S' "$shape" build "$src" -o "$out/$n.qshp" -v 2>&1)
  status=$?
  secs=$(echo "$log" | sed -n 's/^cpu \([0-9.]*\) \([0-9.]*\)$/\1 + \2/p' | tail -1 | bc)
  method=$(echo "$log" | sed -n 's/^[^ ]*: \([a-z]*\), .*/\1/p' | head -1)
  reach=$(echo "$log" | sed -n 's/.*reach \([0-9.]*\) %.*/\1/p' | head -1)
  note=$(echo "$log" | grep -o 'dropped.*\|filled.*\|falls into.*\|more than one hole.*' | head -1)
  printf '%-28s %4s %6.2f %-9s %s %s\n' "$n" "$status" "$secs" "${method:--}" "${reach:--}" "$note"
done
