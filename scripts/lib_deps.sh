# What scripts/web_deps.sh and scripts/win_deps.sh share, sourced by both:
# Debian packages installed only when missing, Debian's source packages
# (with a deb-src twin of every deb entry the machine has), and a library
# built from one of them with CMake into $sysroot, once, and again only
# when its options change. The caller sets out (the cache folder).

sysroot=$out/sysroot
srcdir=$out/src
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# need PACKAGE...: installs those not installed yet; makes sure apt knows
# the source packages.
need() {
  local missing=() p need_update=0
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # Source packages come from the same suites as the binary ones.
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
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
      --no-install-recommends "${missing[@]}"
  fi
  mkdir -p "$srcdir" "$sysroot"
}

# fetch PACKAGE: Debian's source of a package, unpacked once under src/.
fetch() {
  local pkg=$1 dir
  dir=$(find "$srcdir" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -1)
  if [ -z "$dir" ]; then
    # Lists older than the deb-src entry are read again once.
    (cd "$srcdir" && { apt-get source -qq "$pkg" || { $sudo apt-get update -qq && apt-get source -qq "$pkg"; }; } >/dev/null)
    dir=$(find "$srcdir" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -1)
  fi
  echo "$dir"
}

# The mixer's formats, the same on every target: WAV, and Ogg Vorbis by
# the mixer's own built-in decoder (no other library to build).
mixer_formats=(-DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB
  -DSDL2MIXER_WAVE=ON -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_DEPS_SHARED=OFF)

# build LIB SOURCE_DIR OPTION...: configures with $configure (the CMake
# command of the target), builds and installs into $sysroot, unless
# lib/libLIB.a is there, made with the same options (kept in lib/LIB.options).
build() {
  local lib=$1 src=$2 stamp=$sysroot/lib/$1.options
  shift 2
  if [ -e "$sysroot/lib/lib$lib.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$*" ]; then return; fi
  echo "Building $lib into $sysroot (log: $out/$lib-build.log)"
  rm -rf "$out/$lib-build" "$stamp"
  $configure -S "$src" -B "$out/$lib-build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sysroot" \
    "$@" >"$out/$lib-build.log"
  cmake --build "$out/$lib-build" -j "$(nproc)" >>"$out/$lib-build.log"
  cmake --install "$out/$lib-build" >>"$out/$lib-build.log"
  echo "$*" >"$stamp"
}
