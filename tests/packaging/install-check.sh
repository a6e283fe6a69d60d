#!/usr/bin/env bash
# Installs the build into a staging folder as the Debian package lays it out (prefix /usr) and
# checks what the desktop reads: the desktop entry passes desktop-file-validate, the AppStream
# metainfo passes appstreamcli, the MIME file is taken by update-mime-database and tells BM
# and CMP files by their content, the thumbnailer's command line makes a PNG, and the manual
# pages, the icons and the copyright file are there.
# Usage: install-check.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
share=$root/share

[ -f "$share/doc/zarn/copyright" ] || fail "no copyright file"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
  "$share/doc/zarn/copyright" || fail "the copyright file is not machine-readable"
zcat "$share/doc/zarn/changelog.gz" | head -1 | grep -q '^zarn (' || fail "no changelog.gz"

# check_manual NAME TEXT...: NAME(1) is installed, man formats it without a warning, and its
# roff holds every TEXT.
check_manual() {
  local page=$share/man/man1/$1.1.gz text
  [ -f "$page" ] || fail "no $1(1)"
  [ -z "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" ] ||
    fail "$1(1): $(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  for text in "${@:2}" "SH EXIT STATUS" "SH FILES" "SH EXAMPLES"; do
    zcat "$page" | grep -qF -- "$text" || fail "$1(1) has no $text"
  done
}

# The desktop entry: valid, opening BM files by the program's name; named by the id of the
# metainfo, which software centres accept.
id=org.example.zarn
entry=$share/applications/$id.desktop
if [ -f "$root/bin/zarn" ]; then
  [ -f "$entry" ] || fail "no desktop entry"
  desktop-file-validate "$entry" || fail "desktop-file-validate refused $entry"
  grep -qx 'Exec=zarn %f' "$entry" || fail "Exec line: $(grep ^Exec= "$entry")"
  grep -qx 'MimeType=image/x-jedi-knight-bm;' "$entry" || fail "no BM MimeType in the entry"
  grep -qx 'Icon=zarn' "$entry" || fail "Icon line: $(grep ^Icon= "$entry")"
  grep -qx 'StartupNotify=true' "$entry" || fail "no StartupNotify in the entry"
  grep -q '^Keywords=' "$entry" || fail "no Keywords in the entry"
  metainfo=$share/metainfo/$id.metainfo.xml
  [ -f "$metainfo" ] || fail "no metainfo"
  appstreamcli validate --pedantic --no-net "$metainfo" >/dev/null ||
    fail "appstreamcli refused $metainfo: $(appstreamcli validate --pedantic --no-net "$metainfo")"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo names another desktop entry"
  for size in 16 22 24 32 48 64 128 256 512; do
    for icon in apps/zarn mimetypes/application-x-jedi-knight-cmp; do
      [ -f "$share/icons/hicolor/${size}x${size}/$icon.png" ] || fail "no ${size} px $icon"
    done
  done
  for icon in apps/zarn mimetypes/application-x-jedi-knight-cmp; do
    [ -f "$share/icons/hicolor/scalable/$icon.svg" ] || fail "no scalable $icon"
  done
  # Without a display a wrong option is still answered on the terminal.
  set +e
  message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/zarn" --bogus 2>&1)
  status=$?
  set -e
  if [ "$status" -ne 1 ] || [[ $message != *"Unknown option"* ]]; then
    fail "zarn --bogus without a display: status $status, $message"
  fi
  [ -f "$share/zarn/Zarn.hlp" ] || fail "no help file"
  check_manual zarn "\\-\\-platform" ".I /" "/share/zarn/Zarn.hlp"
fi

# The file types: accepted by update-mime-database beside the desktop's own types, globs of
# any case, and files without an extension told by their content as a file manager tells them.
mkdir -p "$stage/mime/packages"
cp "$share/mime/packages/zarn.xml" /usr/share/mime/packages/freedesktop.org.xml "$stage/mime/packages/"
# (It notes on standard error that the staging folder is not one the desktop searches.)
update-mime-database "$stage/mime" 2>"$stage/mime.log" ||
  fail "update-mime-database refused zarn.xml: $(cat "$stage/mime.log")"
grep -q ':image/x-jedi-knight-bm:\*\.bm$' "$stage/mime/globs2" || fail "no *.bm glob"
grep -q ':application/x-jedi-knight-cmp:\*\.cmp$' "$stage/mime/globs2" || fail "no *.cmp glob"
content_type() {
  XDG_DATA_HOME=$stage XDG_DATA_DIRS=$stage gio info -a standard::content-type "$1" |
    sed -n 's/^ *standard::content-type: //p'
}

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
  cp "$bm" "$stage/pixel"
  { printf 'CMP '; head -c 828 /dev/zero; } >"$stage/colours"
  printf 'BM notes: the walls of level 3 need a darker palette than the floor.\n%.0s' 1 2 3 \
    >"$stage/notes"
  for row in "pixel image/x-jedi-knight-bm" "colours application/x-jedi-knight-cmp" \
             "notes text/plain"; do
    read -r file type <<<"$row"
    [ "$(content_type "$stage/$file")" = "$type" ] ||
      fail "$file is taken for $(content_type "$stage/$file"), not $type"
  done
  command=${exec_line/#zarn-cli/$root/bin/zarn-cli}
  command=${command/\%s/64}
  command=${command/\%i/$bm}
  command=${command/\%o/$stage/thumb.png}
  $command || fail "thumbnailer command failed: $command"
  head -c 8 "$stage/thumb.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' ||
    fail "thumbnail is not a PNG"
  # Every option of every command, as the command's own help lists it.
  options=()
  for command in $("$root/bin/zarn-cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p'); do
    options+=("\\fB$command\\fR")
    for option in $("$root/bin/zarn-cli" "$command" --help | grep -o -- ' --\?[a-z0-9-]\+' | sort -u); do
      options+=("${option//-/\\-}")
    done
  done
  check_manual zarn-cli "${options[@]}"
fi
echo "install check passed"
