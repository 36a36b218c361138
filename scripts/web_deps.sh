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
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Source packages come from the same suites as the binary ones: a deb-src
# twin of every deb entry the machine already has.
need_update=0
if ! grep -rqs -e '^deb-src' -e '^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f"
  done | $sudo tee /etc/apt/sources.list.d/sevenwell-src.sources >/dev/null
  if [ -e /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee /etc/apt/sources.list.d/sevenwell-src.list >/dev/null
  fi
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

export NODE_PATH=/usr/share/nodejs
sysroot=$out/sysroot
srcdir=$out/src
mkdir -p "$srcdir" "$sysroot"

# Debian's source of a package, unpacked once under src/.
fetch() {
  local pkg=$1 dir
  dir=$(find "$srcdir" -maxdepth 1 -type d -name "$2-[0-9]*" | head -1)
  if [ -z "$dir" ]; then
    # Lists older than the deb-src entry are read again once.
    (cd "$srcdir" && { apt-get source -qq "$pkg" || { $sudo apt-get update -qq && apt-get source -qq "$pkg"; }; } >/dev/null)
    dir=$(find "$srcdir" -maxdepth 1 -type d -name "$2-[0-9]*" | head -1)
  fi
  echo "$dir"
}

# Both libraries are made small rather than fast (they are downloaded
# before the first frame), and SDL leaves out the C library's character
# set tables (its own UTF-8 conversions are all the game needs). A build
# made with other options is made again.
small="-Oz -DNDEBUG"
sdl_opts=(-DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_SYSTEM_ICONV=OFF
  "-DCMAKE_C_FLAGS_RELEASE=$small")
sdl_stamp=$sysroot/lib/SDL2.options
if [ ! -e "$sysroot/lib/libSDL2.a" ] || [ "$(cat "$sdl_stamp" 2>/dev/null)" != "${sdl_opts[*]}" ]; then
  sdl=$(fetch libsdl2 libsdl2)
  rm -rf "$out/sdl2-build" "$sdl_stamp"
  emcmake cmake -S "$sdl" -B "$out/sdl2-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sysroot" "${sdl_opts[@]}" >"$out/sdl2-build.log"
  cmake --build "$out/sdl2-build" -j "$(nproc)" >>"$out/sdl2-build.log"
  cmake --install "$out/sdl2-build" >>"$out/sdl2-build.log"
  echo "${sdl_opts[*]}" >"$sdl_stamp"
fi

mixer_opts=(-DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB
  -DSDL2MIXER_WAVE=ON -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_DEPS_SHARED=OFF
  "-DCMAKE_C_FLAGS_RELEASE=$small")
stamp=$sysroot/lib/SDL2_mixer.options
if [ ! -e "$sysroot/lib/libSDL2_mixer.a" ] || [ "$(cat "$stamp" 2>/dev/null)" != "${mixer_opts[*]}" ]; then
  mixer=$(fetch libsdl2-mixer libsdl2-mixer)
  rm -rf "$out/mixer-build" "$stamp"
  emcmake cmake -S "$mixer" -B "$out/mixer-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sysroot" -DSDL2_DIR="$sysroot/lib/cmake/SDL2" -DBUILD_SHARED_LIBS=OFF \
    "${mixer_opts[@]}" >"$out/mixer-build.log"
  cmake --build "$out/mixer-build" -j "$(nproc)" >>"$out/mixer-build.log"
  cmake --install "$out/mixer-build" >>"$out/mixer-build.log"
  echo "${mixer_opts[*]}" >"$stamp"
fi
