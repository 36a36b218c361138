#!/usr/bin/env bash
# The Windows build's tools and libraries, made once and then reused:
#   - Debian's cross-compiler for 64-bit Windows, the Ogg Vorbis encoder
#     for the tunes and zip for the player's archive;
#   - SDL2 and SDL2_mixer (WAV, and Ogg Vorbis with the mixer's own
#     built-in decoder) built for Windows from Debian's own source
#     packages into OUT/sysroot, as static libraries (make windows keeps
#     OUT in the user's cache folder, so every checkout shares one build);
#     a build made with other options is made again;
#   - GoogleTest built for Windows from Debian's sources of it, for the
#     tests;
#   - with "test": Wine, and a Wine prefix made once in OUT/wine for
#     win/wine.sh.
# Usage: scripts/win_deps.sh OUT [test]
set -euo pipefail
out=$(realpath -m "${1:-build-win/libs}")
mode=${2:-build}
here=$(cd "$(dirname "$0")" && pwd)

pkgs=(g++-mingw-w64-x86-64-posix dpkg-dev cmake make vorbis-tools zip libgtest-dev)
# Wine's own fonts (only recommended by it) draw the message box's text.
[ "$mode" = test ] && pkgs+=(wine wine64 fonts-wine unzip)
. "$here/lib_deps.sh"
need "${pkgs[@]}"

configure="cmake -DCMAKE_TOOLCHAIN_FILE=$here/../win/mingw-w64.cmake"
build SDL2 "$(fetch libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
build SDL2_mixer "$(fetch libsdl2-mixer)" -DSDL2_DIR="$sysroot/lib/cmake/SDL2" -DBUILD_SHARED_LIBS=OFF \
  "${mixer_formats[@]}"
build gtest /usr/src/googletest -DBUILD_GMOCK=OFF
[ "$mode" = test ] || exit 0

# A Wine prefix of its own, made once: the first start of Wine sets one
# up, which takes a while. Without .NET and the HTML engine, whose
# installers would ask on a desktop.
if [ ! -e "$out/wine/system.reg" ]; then
  echo "Making a Wine prefix in $out/wine"
  WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= wineboot -i >/dev/null 2>&1
  WINEPREFIX=$out/wine wineserver -w
fi
