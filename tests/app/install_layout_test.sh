#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks what a desktop needs:
# programs and shapes together in lib/quorvel, links in bin, desktop entry,
# icon and metainfo under share.
# Usage: install_layout_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

lib=$prefix/lib/quorvel
for program in quorvel quorvel-cli quorvel-shape; do
  [ -x "$lib/$program" ] && [ ! -L "$lib/$program" ] || fail "$lib/$program is not a program"
  [ -L "$prefix/bin/$program" ] || fail "bin/$program is not a link"
  [ "$(readlink "$prefix/bin/$program")" = "../lib/quorvel/$program" ] || fail "bin/$program points elsewhere"
  [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$lib/$program")" ] || fail "bin/$program dangles"
done
shapes=$(find "$lib/quorvel-shapes" -name '*.qshp' | wc -l)
[ "$shapes" -ge 1 ] || fail "no shapes in $lib/quorvel-shapes"

# Through the link, the program finds the shape folder beside its real self.
listed=$(cd / && "$prefix/bin/quorvel-cli" shapes)
[ "$(printf '%s\n' "$listed" | wc -l)" -eq "$shapes" ] || fail "quorvel-cli shapes listed: $listed"
printf '%s\n' "$listed" | grep -q "$lib/quorvel-shapes/" || fail "shapes not from $lib/quorvel-shapes"

desktop=$prefix/share/applications/quorvel.desktop
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Exec=quorvel %f' "$desktop" || fail "Exec line"
grep -qx 'Icon=quorvel' "$desktop" || fail "Icon line"
grep -q '^Categories=Graphics;' "$desktop" || fail "Categories line"
for type in image/png image/jpeg image/bmp; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "MimeType lacks $type"
done
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

icon=$prefix/share/icons/hicolor/256x256/apps/quorvel.png
[ -f "$icon" ] || fail "no icon"
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is no PNG"

metainfo=$prefix/share/metainfo/org.quorvel.Quorvel.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo"
grep -q '<launchable type="desktop-id">quorvel.desktop</launchable>' "$metainfo" || fail "metainfo launchable"
if command -v xmllint >/dev/null; then xmllint --noout "$metainfo"; fi
echo "installed layout OK ($shapes shapes)"
