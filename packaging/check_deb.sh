#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it:
# its contents list, its dependencies, lintian (no errors), the desktop entry
# and the metainfo, and that the unpacked programs run from a throw-away
# root. Usage: packaging/check_deb.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/quorvel_${version}_amd64.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; fail "cpack"; }
[ -f "$deb" ] || fail "no $deb"

# The contents list: exactly these paths besides the shape files.
contents=$(dpkg-deb -c "$deb")
listed=$(printf '%s\n' "$contents" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort)
expected=$(sort <<'LIST'
/usr
/usr/bin
/usr/bin/quorvel
/usr/bin/quorvel-cli
/usr/bin/quorvel-shape
/usr/lib
/usr/lib/quorvel
/usr/lib/quorvel/quorvel
/usr/lib/quorvel/quorvel-cli
/usr/lib/quorvel/quorvel-shape
/usr/lib/quorvel/quorvel-shapes
/usr/share
/usr/share/applications
/usr/share/applications/quorvel.desktop
/usr/share/doc
/usr/share/doc/quorvel
/usr/share/doc/quorvel/changelog.gz
/usr/share/doc/quorvel/copyright
/usr/share/icons
/usr/share/icons/hicolor
/usr/share/icons/hicolor/256x256
/usr/share/icons/hicolor/256x256/apps
/usr/share/icons/hicolor/256x256/apps/quorvel.png
/usr/share/metainfo
/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml
LIST
)
others=$(comm -23 <(printf '%s\n' "$listed") <(printf '%s\n' "$expected"))
missing=$(comm -13 <(printf '%s\n' "$listed") <(printf '%s\n' "$expected"))
[ -z "$missing" ] || fail "missing from the package: $missing"
shapes=$(printf '%s\n' "$others" | grep -c '^/usr/lib/quorvel/quorvel-shapes/[^/]*\.qshp$' || true)
[ "$shapes" -ge 1 ] || fail "no shapes in the package"
stray=$(printf '%s\n' "$others" | grep -v '^/usr/lib/quorvel/quorvel-shapes/[^/]*\.qshp$' || true)
[ -z "$stray" ] || fail "unexpected in the package: $stray"
for program in quorvel quorvel-cli quorvel-shape; do
  printf '%s\n' "$contents" | grep -q " \./usr/bin/$program -> \.\./lib/quorvel/$program\$" ||
    fail "bin/$program link"
done

# Dependencies as dpkg-shlibdeps found them: the image libraries and Qt.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libpng16-16 libjpeg62-turbo libwebp7 libwebpmux3 libwebpdemux2 libtiff6 libheif1 \
           libqt6widgets6 libqt6svg6; do
  printf '%s\n' "$depends" | grep -q "\b$lib\b" || fail "Depends lacks $lib: $depends"
done

lintian --fail-on error --suppress-tags no-manual-page "$deb" >"$build/lintian.log" 2>&1 ||
  { cat "$build/lintian.log" >&2; fail "lintian reports errors"; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quorvel.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml" >&2; fail "metainfo"; }
# Through the link the program finds the shape folder beside its real self.
count=$("$root/usr/bin/quorvel-cli" shapes | wc -l)
[ "$count" -eq "$shapes" ] || fail "quorvel-cli shapes listed $count of $shapes"
echo "package OK: $(basename "$deb"), $shapes shapes; lintian: $(grep -c '^W:' "$build/lintian.log" || true) warnings"
