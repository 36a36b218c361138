#!/usr/bin/env bash
# Puts the built game under a prefix as a desktop program, or takes it away.
#   scripts/install.sh install PREFIX BUILD_DIR
#   scripts/install.sh uninstall PREFIX
# The program folder PREFIX/share/sevenwell holds the game, its pictures
# and sounds, and the player's score.ini, which is placed only when there
# is none and is never removed.
set -euo pipefail
action=${1:-}
prefix=${2:-}
[ -n "$prefix" ] || { echo "usage: $0 install|uninstall PREFIX [BUILD_DIR]" >&2; exit 2; }
case $prefix in
  *[\"\`\$\\]* | *$'\n'*) echo "install: the prefix must not hold \" \` \$ \\ or a newline: $prefix" >&2; exit 2 ;;
esac
src=$(cd "$(dirname "$0")/.." && pwd)
id=net.sevenwell.sevenwell
prog=$prefix/share/sevenwell
bin=$prefix/bin/sevenwell
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
png=$prefix/share/icons/hicolor/256x256/apps/sevenwell.png
svg=$prefix/share/icons/hicolor/scalable/apps/sevenwell.svg

case $action in
  install)
    build=${3:-build}
    game=$build/game
    for f in "$game/sevenwell" "$game/icon.bmp" "$build/desktop/sevenwell.png"; do
      [ -f "$f" ] || { echo "install: $f is missing: build the game first (make game)" >&2; exit 1; }
    done
    mkdir -p "$prog/pic" "$prog/sound" "$(dirname "$bin")" "$(dirname "$desktop")" \
      "$(dirname "$metainfo")" "$(dirname "$png")" "$(dirname "$svg")"
    install -m 755 "$game/sevenwell" "$prog/sevenwell"
    install -m 644 "$game/icon.bmp" "$prog/icon.bmp"
    install -m 644 "$game"/pic/*.bmp "$prog/pic/"
    install -m 644 "$game"/sound/*.wav "$prog/sound/"
    if [ ! -e "$prog/score.ini" ]; then
      printf '000000000\r\n000000000\r\n' >"$prog/score.ini"
    fi
    printf '#!/bin/sh\nexec "%s/sevenwell" "$@"\n' "$prog" >"$bin"
    chmod 755 "$bin"
    sed "s|@BIN@|$bin|" "$src/assets/desktop/sevenwell.desktop.in" >"$desktop"
    install -m 644 "$src/assets/desktop/sevenwell.metainfo.xml" "$metainfo"
    install -m 644 "$build/desktop/sevenwell.png" "$png"
    install -m 644 "$src/assets/desktop/sevenwell.svg" "$svg"
    echo "Seven Well installed: $bin (records in $prog/score.ini)"
    ;;
  uninstall)
    rm -f "$prog/sevenwell" "$prog/icon.bmp" "$prog"/pic/*.bmp "$prog"/sound/*.wav \
      "$bin" "$desktop" "$metainfo" "$png" "$svg"
    rmdir "$prog/pic" "$prog/sound" 2>/dev/null || true
    if [ -e "$prog/score.ini" ]; then
      echo "Seven Well removed; your records stay in $prog/score.ini"
    else
      rmdir "$prog" 2>/dev/null || true
      echo "Seven Well removed"
    fi
    ;;
  *)
    echo "usage: $0 install|uninstall PREFIX [BUILD_DIR]" >&2
    exit 2
    ;;
esac
