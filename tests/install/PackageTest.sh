#!/usr/bin/env bash
# Builds the Debian package from the build with cpack and checks its files,
# its control fields and that the packed command-line program runs.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "$*"; exit 1; }
command -v dpkg-shlibdeps >/dev/null || fail "dpkg-shlibdeps is missing (dpkg-dev)"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || fail "$(cat "$out/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$out/korvane_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || fail "no package $deb: $(ls "$out")"

# Every file under /usr, owned by root; nothing else (no caches, no /usr/local).
expected="./usr/bin/korvane ./usr/bin/korvane-cli ./usr/share/applications/korvane.desktop
./usr/share/icons/hicolor/128x128/apps/korvane.png ./usr/share/icons/hicolor/16x16/apps/korvane.png
./usr/share/icons/hicolor/256x256/apps/korvane.png ./usr/share/icons/hicolor/32x32/apps/korvane.png
./usr/share/icons/hicolor/48x48/apps/korvane.png ./usr/share/icons/hicolor/64x64/apps/korvane.png
./usr/share/icons/hicolor/scalable/apps/korvane.svg ./usr/share/korvane/translations/korvane_en.qm
./usr/share/man/man1/korvane-cli.1 ./usr/share/man/man1/korvane.1 ./usr/share/mime/packages/korvane.xml"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $2, $6}' | sort)
[[ "$files" == "$(tr ' ' '\n' <<<"$expected" | sed 's|^|root/root |' | sort)" ]] || fail "package files: $files"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package) $(field Version) $(field Section)" == "korvane $version utils" ]] || fail "$(field Package Version Section)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description | head -1) == "viewer and editor for game archives (.img/.dir, VER2, VXBG, BIGF)" &&
   $(field Description | wc -l) -gt 2 ]] || fail "Description: $(field Description)"
# Worked out from the programs: the C library, Qt's widgets, libpng; no GLU.
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6openglwidgets6 libpng16-16; do
  [[ ", $depends," =~ ", $lib"[\ ,] ]] || fail "Depends lacks $lib: $depends"
done
[[ "$depends" != *glu* ]] || fail "Depends names GLU: $depends"

dpkg-deb -x "$deb" "$out/root"
"$out/root/usr/bin/korvane-cli" make-demo "$out/demo" >/dev/null
[[ -s "$out/demo/demo_v2.img" ]] || fail "make-demo wrote no demo_v2.img"
echo "debian package: 1 passed, 0 failed"
