#!/usr/bin/env bash
# The desktop install: every file in its place, the desktop entry and the
# metainfo valid, the player's score.ini never replaced nor removed.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
install=$(dirname "$0")/../scripts/install.sh
p=$(mktemp -d)
trap 'rm -rf "$p"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$install" install "$p/fresh" "$build" >/dev/null
[ "$(cat "$p/fresh/share/sevenwell/score.ini")" = "$(printf '000000000\r\n000000000\r\n')" ] ||
  fail "a fresh install has no first score.ini"
[ -x "$p/fresh/bin/sevenwell" ] || fail "no launcher"
cmp -s "$build/game/pic/etc.bmp" "$p/fresh/share/sevenwell/pic/etc.bmp" || fail "pictures missing"
cmp -s "$build/game/sound/bgm01.wav" "$p/fresh/share/sevenwell/sound/bgm01.wav" || fail "sounds missing"
desktop-file-validate "$p"/fresh/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$p"/fresh/share/metainfo/*.xml >"$p/as.txt" ||
  fail "metainfo: $(cat "$p/as.txt")"
grep -q '^P:\|^W:\|^E:' "$p/as.txt" && fail "metainfo: $(cat "$p/as.txt")"

mkdir -p "$p/kept/share/sevenwell"
printf '000004560\r\n000000071\r\n' >"$p/kept/share/sevenwell/score.ini"
"$install" install "$p/kept" "$build" >/dev/null
"$install" install "$p/kept" "$build" >/dev/null
[ "$(cat "$p/kept/share/sevenwell/score.ini")" = "$(printf '000004560\r\n000000071\r\n')" ] ||
  fail "an install replaced the records"
"$install" uninstall "$p/kept" >/dev/null
left=$(cd "$p/kept" && find . -type f)
[ "$left" = ./share/sevenwell/score.ini ] || fail "uninstall left: $left"
echo "install: 3 passed, 0 failed"
