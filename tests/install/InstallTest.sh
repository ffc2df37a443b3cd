#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that a desktop gets
# what it needs: the programs, the launcher, the MIME types, icons, man pages, the
# window's English.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
DESTDIR= cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/korvane bin/korvane-cli share/applications/korvane.desktop share/mime/packages/korvane.xml \
         share/icons/hicolor/scalable/apps/korvane.svg share/icons/hicolor/48x48/apps/korvane.png \
         share/man/man1/korvane-cli.1 share/man/man1/korvane.1 share/korvane/translations/korvane_en.qm; do
  [[ -e "$prefix/$f" ]] || { echo "missing: $f"; exit 1; }
done
grep -q '^Exec=korvane %f$' "$prefix/share/applications/korvane.desktop"
grep -q '^MimeType=.*application/x-korvane-img;' "$prefix/share/applications/korvane.desktop"
grep -q 'type="application/x-korvane-img"' "$prefix/share/mime/packages/korvane.xml"
# The window's help names its languages; it needs no display.
help=$("$prefix/bin/korvane" --help)
[[ $help == *"--lang en|ru"* && $help == *KORVANE_LANG* ]] || { echo "korvane --help: $help"; exit 1; }
# The man pages render without warnings.
if command -v groff >/dev/null; then
  for page in korvane-cli.1 korvane.1; do
    out=$(groff -man -Tutf8 -ww "$prefix/share/man/man1/$page" 2>&1 >/dev/null)
    [[ -z "$out" ]] || { echo "$page: $out"; exit 1; }
  done
fi
echo "install layout: 1 passed, 0 failed"
