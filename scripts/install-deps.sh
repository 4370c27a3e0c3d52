#!/usr/bin/env bash
# Installs everything the project needs to build, run its demo and run its tests,
# from Debian packages only. Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-image-formats-plugins
  libgl-dev libxkbcommon-dev
  libzip-dev zipcmp zipmerge ziptool
  libbenchmark-dev
  clang clang-format clang-tidy
  util-linux
  xvfb xauth x11-utils
  fonts-wqy-microhei fonts-dejavu-core
  imagemagick
  desktop-file-utils libxml2-utils shared-mime-info appstream lintian bash-completion file
  libglib2.0-dev gvfs gvfs-daemons dbus dbus-x11 xdotool
  thunar caja nemo nautilus dolphin breeze-icon-theme
  libthunarx-3-dev libcaja-extension-dev libnemo-extension-dev libnautilus-extension-dev
  libkf5kio-dev qt6-5compat-dev
  fuse3 libfuse3-dev
  g++-mingw-w64-x86-64-posix
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
updated=""

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    if [ -z "$updated" ]; then
      $SUDO apt-get update -qq
      updated=1
    fi
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

install_missing "${packages[@]}"
# The sanitizer and fuzzer runtime of the clang actually installed.
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-${clang_major}-dev"
