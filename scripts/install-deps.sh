#!/usr/bin/env bash
# Installs the Debian packages that the build, the game and the tests need.
# Does nothing when all of them are present; runs 'apt-get update' only when
# something is missing.
set -euo pipefail

PACKAGES=(
  # toolchain
  cmake g++ make pkg-config
  # window, OpenGL (Mesa's software rasteriser where no GPU exists), audio
  libsdl2-dev libx11-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  # images, sound (and its loudness meter), meshes, fonts
  libpng-dev zlib1g-dev libvorbis-dev libogg-dev libebur128-dev libassimp-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic libmd-dev
  # the replays' digests
  libxxhash-dev
  # tests and benchmarks; clang and its libFuzzer runtime for the fuzz targets
  libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  # independent checks of the built files
  icoutils binutils pngcheck vorbis-tools assimp-utils
  # a real X server for window tests on machines without a display
  xvfb xauth xdotool x11-utils
  # a small window manager, for full screen under one
  evilwm
  # installing: man pages from --help, the Debian package's dependencies
  # (dpkg-shlibdeps) and its checks, the desktop entry's and metainfo's checks
  help2man dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "These Debian packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
