#!/usr/bin/env bash
# Installs a build into a temporary prefix and uses what landed there: the
# installed trovex-cli runs a small extraction, the desktop entry validates,
# the icons, manual pages and shell completion are in place.
# install_test.sh BUILD_DIR SAMPLE_TOOL
set -euo pipefail
build=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

cli=$prefix/bin/trovex-cli
[ -x "$cli" ] || fail "no trovex-cli in $prefix/bin"
version=$("$cli" --version)
[[ $version =~ ^trovex-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "unexpected version line: $version"

"$sample" "$work/game" >/dev/null
"$cli" --type talk --output "$work/out" "$work/game/dialog.tlk" >"$work/stdout"
[ "$(tail -n 1 "$work/stdout")" = "Operation complete!" ] || fail "the extraction did not complete"
grep -q "^#Target: $work/out/dialog.txt" "$work/out/result.log" || fail "no target line in result.log"
[ -s "$work/out/dialog.txt" ] || fail "no text dump written"

man=$prefix/share/man/man1/trovex-cli.1.gz
gzip -t "$man" || fail "damaged manual page"
zcat "$man" | grep -q '^\.SH EXIT STATUS' || fail "manual page without exit statuses"

completion=$prefix/share/bash-completion/completions/trovex-cli
# shellcheck disable=SC1090
source "$completion"
COMP_WORDS=(trovex-cli --type co); COMP_CWORD=2; _trovex_cli
[ "${COMPREPLY[*]}" = "compress" ] || fail "completion of --type gave '${COMPREPLY[*]}'"
COMP_WORDS=(trovex-cli --kinds wav,b); COMP_CWORD=2; _trovex_cli
[ "${COMPREPLY[*]}" = "wav,bmp" ] || fail "completion of --kinds gave '${COMPREPLY[*]}'"
COMP_WORDS=(trovex-cli --ou); COMP_CWORD=1; _trovex_cli
[ "${COMPREPLY[*]}" = "--output" ] || fail "completion of an option gave '${COMPREPLY[*]}'"

# The window and its desktop entry are built only with the window.
if [ -x "$prefix/bin/trovex" ]; then
  desktop-file-validate "$prefix/share/applications/trovex.desktop" || fail "desktop entry not valid"
  for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/trovex.png
    [ "$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$icon")" = "$size $size" ] ||
      fail "icon $icon is not $size px"
  done
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$prefix/share/mime/packages/trovex.xml" ||
    fail "file types not valid XML"
  for type in application/x-trovex-biff-archive application/x-trovex-talk-table application/x-trovex-key-index; do
    grep -q "MimeType=.*$type;" "$prefix/share/applications/trovex.desktop" || fail "desktop entry lacks $type"
    grep -q "type=\"$type\"" "$prefix/share/mime/packages/trovex.xml" || fail "no definition of $type"
  done
fi
echo "install test: passed"
