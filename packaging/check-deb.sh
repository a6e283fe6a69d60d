#!/usr/bin/env bash
# The checks a Debian maintainer runs before uploading, on the packages that build-deb.sh made:
# lintian --pedantic (any error, warning, information or pedantic tag fails), appstreamcli
# validate --pedantic on the metainfo, desktop-file-validate on the desktop entry, man
# --warnings on both manual pages, and a second cpack run that must give the same bytes.
# Installs lintian and the rest when missing (scripts/ensure-deps.sh).
# Usage: packaging/check-deb.sh [BUILD_DIR]   (default build-deb)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$source/build-deb}")
source "$source/scripts/ensure-deps.sh"
zarn_ensure_packages lintian
cd "$build"
shopt -s nullglob
debs=(zarn_*.deb zarn-dbgsym_*.ddeb)
[ "${#debs[@]}" -eq 2 ] || { echo "no zarn .deb and .ddeb in $build: run build-deb.sh" >&2; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
failed=0
check() {  # check NAME COMMAND...: runs the command, reports it, remembers a failure
  local name=$1
  shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name" >&2; failed=1; fi
}

check "lintian --pedantic" lintian --pedantic -E -I --fail-on error,warning,info,pedantic "${debs[@]}"

dpkg-deb -x "${debs[0]}" "$unpacked"
share=$unpacked/usr/share
check "appstreamcli validate --pedantic" \
  appstreamcli validate --pedantic --no-net "$share"/metainfo/*.metainfo.xml
check "desktop-file-validate" desktop-file-validate "$share"/applications/*.desktop
for page in "$share"/man/man1/*.1.gz; do
  # man writes its warnings to standard error; any warning fails.
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  check "man --warnings $(basename "$page" .1.gz)(1)" test -z "$warnings"
  [ -z "$warnings" ] || echo "$warnings" >&2
done

mkdir "$unpacked/first"
cp "${debs[@]}" "$unpacked/first/"
cpack -G DEB >/dev/null
for deb in "${debs[@]}"; do
  check "reproducible $deb" cmp "$deb" "$unpacked/first/$deb"
done
exit "$failed"
