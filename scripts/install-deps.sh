#!/usr/bin/env bash
# Installs every Debian package Kestrel needs to build, run and test.
# Safe to run again: apt skips what is already there.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpugixml-dev libsqlite3-dev sqlite3 libxml2-utils
  libpq-dev postgresql
  libphonenumber-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  iso-codes clang-format
  xvfb xauth dbus dbus-x11 at-spi2-core python3 python3-pyatspi xdotool
  fonts-dejavu-core
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
