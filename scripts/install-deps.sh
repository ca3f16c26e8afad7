#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: runs apt-get (and its update) only when a package is missing.
set -euo pipefail

packages=(
  cmake g++ make ninja-build ccache pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  googletest libgtest-dev libgmock-dev
  libpng-dev libjpeg-dev libtiff-dev zlib1g-dev libgif-dev
  sqlite3 libsqlite3-dev
  fonts-dejavu-core xvfb xauth
  poppler-utils
  libfreexl-dev
  locales
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

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
