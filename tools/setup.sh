#!/usr/bin/env bash
# Installs every Debian package Corvane needs to build and test on Linux.
# Quiet and quick when everything is already installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libusb-1.0-0-dev pkg-config python3
  g++-mingw-w64-x86-64 wine64 xvfb xauth xdotool imagemagick sox
  # the fuzz targets: clang with libFuzzer and the sanitizers' runtime
  clang libclang-rt-14-dev
  # the release (tools/release.sh): the man page, the package's dependencies, the zip's check
  help2man dpkg-dev file unzip
  # what Wine needs to draw windows, text and sound under Xvfb
  fonts-wine fonts-liberation libfreetype6 libfontconfig1 libgnutls30 libasound2
  libxrender1 libxcursor1 libxrandr2 libxi6 libxcomposite1 libxinerama1 libxfixes3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
