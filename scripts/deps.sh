#!/usr/bin/env bash
# Installs the Debian packages the game needs, only when some are missing.
#   scripts/deps.sh run    what building and playing needs
#   scripts/deps.sh deb    that, plus what building the Debian package needs
#   scripts/deps.sh test   all of it, plus what the tests and benchmarks need
set -euo pipefail

# xfonts-base: the X fonts the message boxes draw with, Japanese included,
# so the refusal of a damaged score.ini is readable on any desktop.
run_pkgs=(g++ make cmake pkg-config libsdl2-dev libsdl2-mixer-dev librsvg2-bin imagemagick
  fonts-dejavu-core xfonts-base)
test_pkgs=(libgtest-dev libbenchmark-dev xvfb xdotool x11-utils openbox procps bc clang
  libclang-rt-14-dev clang-format clang-tidy desktop-file-utils appstream)
# The Build-Depends of debian/control beyond run_pkgs, and the tools.
deb_pkgs=(dpkg-dev debhelper vorbis-tools lintian)

pkgs=("${run_pkgs[@]}")
case ${1:-run} in
  deb) pkgs+=("${deb_pkgs[@]}") ;;
  test) pkgs+=("${deb_pkgs[@]}" "${test_pkgs[@]}") ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
