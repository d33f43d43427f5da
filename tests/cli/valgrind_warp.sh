#!/usr/bin/env bash
# quorvel-cli warp under valgrind: no definite leak and no invalid access,
# for each output kind. The picture is small: valgrind is slow.
#   valgrind_warp.sh QUORVEL_CLI QUORVEL_SHAPE PICTURE
set -euo pipefail
cli=$1 shape_tool=$2 picture=$3
[ -f "$picture" ] || { echo "no test picture at $picture"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four nested ellipses, flattened so that the warp is not symmetric.
awk 'BEGIN {
  print "polylines 4"
  split("150 100 50 8", r, " ")
  for (k = 1; k <= 4; ++k) {
    print "polyline 48"
    for (i = 0; i < 48; ++i) printf "%.6f %.6f\n", r[k] * cos(6.2831853 * i / 48), 0.8 * r[k] * sin(6.2831853 * i / 48)
  }
}' >"$work/ring.txt"
"$shape_tool" pack "$work/ring.txt" -o "$work/ring.qshp"

run() {
  valgrind --quiet --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=99 \
    "$cli" warp "$picture" -s "$work/ring.qshp" "$@" 2>"$work/log" || {
    cat "$work/log"
    exit 1
  }
}
run -o "$work/out.png" --angle 30 --feather 4
run -o "$work/out.jpg" --direction horizontal
run -o "$work/out.bmp" --preview
echo "no errors, no definite leaks"
