#!/usr/bin/env bash
# Installs the Debian 12 packages drovane builds and tests with. Idempotent: packages
# that are already installed are skipped, and nothing runs apt when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev libwebp-dev libraw-dev
  libimagequant-dev
  imagemagick pngcheck libtiff-tools
  libluajit2-5.1-dev
  libevdev-dev
  libffi-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core libsane-dev sane-utils
  libhpdf-dev libx11-dev
  ffmpeg qpdf poppler-utils giflib-tools xvfb
)
# Peer libraries measured against in the benchmarks only.
if [ "${1:-}" = "--bench" ]; then
  packages+=(libvips-dev)
  packages+=(liblua5.1-0-dev)
  packages+=(libmypaint-dev)
fi

# The Windows DLL's cross build and the wine that runs its tests (.ci/run).
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64)
  packages+=(gcc-multilib qemu-user dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
