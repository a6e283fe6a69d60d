#!/usr/bin/env bash
# Installs the build into a staging folder as the Debian package lays it out (prefix /usr) and
# checks what the desktop reads: the desktop entry passes desktop-file-validate, the MIME file
# is taken by update-mime-database with its globs and magic, the thumbnailer's command line
# makes a PNG, and the manual pages are there.
# Usage: install-check.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
share=$root/share

# The desktop entry: valid, opening BM files by the program's name.
entry=$share/applications/zarn.desktop
if [ -f "$root/bin/zarn" ]; then
  [ -f "$entry" ] || fail "no desktop entry"
  desktop-file-validate "$entry" || fail "desktop-file-validate refused $entry"
  grep -qx 'Exec=zarn %f' "$entry" || fail "Exec line: $(grep ^Exec= "$entry")"
  grep -qx 'MimeType=image/x-jedi-knight-bm;' "$entry" || fail "no BM MimeType in the entry"
  grep -qx 'Icon=zarn' "$entry" || fail "Icon line: $(grep ^Icon= "$entry")"
  for size in 64 128 256; do
    [ -f "$share/icons/hicolor/${size}x${size}/apps/zarn.png" ] || fail "no ${size} px icon"
  done
  [ -f "$share/zarn/Zarn.hlp" ] || fail "no help file"
  zcat "$share/man/man1/zarn.1.gz" | grep -q '^\.TH ZARN "1"' || fail "no zarn(1)"
fi

# The file types: accepted by update-mime-database, globs of any case, magic "BM ".
mkdir -p "$stage/mime/packages"
cp "$share/mime/packages/zarn.xml" "$stage/mime/packages/"
update-mime-database "$stage/mime" || fail "update-mime-database refused zarn.xml"
grep -q ':image/x-jedi-knight-bm:\*\.bm$' "$stage/mime/globs2" || fail "no *.bm glob"
grep -q ':application/x-jedi-knight-cmp:\*\.cmp$' "$stage/mime/globs2" || fail "no *.cmp glob"
grep -q 'image/x-jedi-knight-bm' "$stage/mime/magic" || fail "no BM magic"

# The thumbnailer: its Exec line, with the desktop's %s, %i and %o, makes the PNG.
thumbnailer=$share/thumbnailers/zarn.thumbnailer
if [ -f "$root/bin/zarn-cli" ]; then
  [ -f "$thumbnailer" ] || fail "no thumbnailer"
  grep -qx 'MimeType=image/x-jedi-knight-bm;' "$thumbnailer" || fail "thumbnailer MimeType"
  exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
  [ "$exec_line" = "zarn-cli thumbnail --size %s %i %o" ] || fail "thumbnailer Exec: $exec_line"
  # A 16-bit BM of one 2 x 1 image: the 128-byte header, then width, height and two pixels.
  bm=$stage/pixel.bm
  {
    printf 'BM  \x46\0\0\0\0\0\0\0\x01\0\0\0\x01\0\0\0'
    head -c 16 /dev/zero
    printf '\x10\0\0\0'
    head -c 88 /dev/zero
    printf '\x02\0\0\0\x01\0\0\0\x00\xf8\x1f\x00'
  } >"$bm"
  command=${exec_line/#zarn-cli/$root/bin/zarn-cli}
  command=${command/\%s/64}
  command=${command/\%i/$bm}
  command=${command/\%o/$stage/thumb.png}
  $command || fail "thumbnailer command failed: $command"
  head -c 8 "$stage/thumb.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' ||
    fail "thumbnail is not a PNG"
  zcat "$share/man/man1/zarn-cli.1.gz" | grep -q '^\.TH ZARN-CLI "1"' || fail "no zarn-cli(1)"
fi
echo "install check passed"
