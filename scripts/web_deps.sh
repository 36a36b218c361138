#!/usr/bin/env bash
# The browser build's tools and libraries, made once and then reused:
#   - Debian's emscripten (and, with "test", the browsers of the browser
#     checks: Chromium, Firefox ESR, WebKitGTK's WebDriver with its
#     MiniBrowser, Xvfb for it, PulseAudio for a sound device, and npm);
#   - the Ogg Vorbis encoder for the tunes, the SVG renderer for the
#     page's icons and zopfli for the gzipped code and data;
#   - SDL2 and SDL2_mixer (WAV, and Ogg Vorbis with the mixer's own
#     built-in decoder) built for WebAssembly from Debian's own source
#     packages into OUT/sysroot (make web keeps OUT in the user's cache
#     folder, so every checkout shares one build). The mixer's options are
#     kept beside it: a build made with other options is made again.
# Usage: scripts/web_deps.sh OUT [test]
set -euo pipefail
out=$(realpath -m "${1:-build-web}")
mode=${2:-build}

pkgs=(emscripten dpkg-dev cmake make vorbis-tools librsvg2-bin zopfli)
if [ "$mode" = test ]; then
  pkgs+=(chromium firefox-esr webkit2gtk-driver xvfb pulseaudio)
  # Debian's npm, unless the installed Node.js brings its own.
  command -v npm >/dev/null || pkgs+=(npm)
fi
. "$(dirname "$0")/lib_deps.sh"
need "${pkgs[@]}"

export NODE_PATH=/usr/share/nodejs
configure="emcmake cmake"

# Both libraries are made small rather than fast (they are downloaded
# before the first frame), and SDL leaves out the C library's character
# set tables (its own UTF-8 conversions are all the game needs). A build
# made with other options is made again.
small="-Oz -DNDEBUG"
build SDL2 "$(fetch libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF \
  -DSDL_SYSTEM_ICONV=OFF "-DCMAKE_C_FLAGS_RELEASE=$small"
build SDL2_mixer "$(fetch libsdl2-mixer)" -DSDL2_DIR="$sysroot/lib/cmake/SDL2" -DBUILD_SHARED_LIBS=OFF \
  "${mixer_formats[@]}" "-DCMAKE_C_FLAGS_RELEASE=$small"
