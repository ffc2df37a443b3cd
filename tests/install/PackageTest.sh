#!/usr/bin/env bash
# Builds the Debian package from the build with cpack and checks its file
# list, its control fields and that the packed programs run.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
command -v dpkg-shlibdeps >/dev/null || { echo "dpkg-shlibdeps is missing (dpkg-dev)"; exit 1; }
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$out/korvane_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || { echo "no package $deb:"; ls "$out"; exit 1; }
fail() { echo "$*"; exit 1; }

# Every file under /usr, nothing else (no caches, nothing under /usr/local).
expected="./usr/bin/korvane
./usr/bin/korvane-cli
./usr/share/applications/korvane.desktop
./usr/share/icons/hicolor/128x128/apps/korvane.png
./usr/share/icons/hicolor/16x16/apps/korvane.png
./usr/share/icons/hicolor/256x256/apps/korvane.png
./usr/share/icons/hicolor/32x32/apps/korvane.png
./usr/share/icons/hicolor/48x48/apps/korvane.png
./usr/share/icons/hicolor/64x64/apps/korvane.png
./usr/share/icons/hicolor/scalable/apps/korvane.svg
./usr/share/man/man1/korvane-cli.1
./usr/share/mime/packages/korvane.xml"
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)
[[ "$files" == "$expected" ]] || fail "package files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"
grep -q '^-rwxr-xr-x root/root .* \./usr/bin/korvane-cli$' <<<"$listing" || fail "korvane-cli is not an executable of root's"
if grep -v '^d' <<<"$listing" | grep -qv ' root/root '; then fail "files not owned by root"; fi

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == korvane ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Section) == utils ]] || fail "Section: $(field Section)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description | head -1) == "viewer and editor for game archives (.img/.dir, VER2, VXBG, BIGF)" ]] ||
  fail "Description: $(field Description | head -1)"
[[ $(field Description | wc -l) -gt 2 ]] || fail "no long description"
# Dependencies worked out from the programs: Qt's widgets, libpng, the C
# library; GLU no more.
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6openglwidgets6 libpng16-16; do
  [[ ", $depends," =~ ", $lib"[\ ,] ]] || fail "Depends lacks $lib: $depends"
done
[[ "$depends" != *glu* ]] || fail "Depends names GLU: $depends"

# The packed command-line program runs.
dpkg-deb -x "$deb" "$out/root"
"$out/root/usr/bin/korvane-cli" make-demo "$out/demo" >/dev/null
[[ -s "$out/demo/demo_v2.img" ]] || fail "make-demo wrote no demo_v2.img"
echo "debian package: 1 passed, 0 failed"
