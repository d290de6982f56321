#!/usr/bin/env bash
# Installs what Teloq needs to build, run and test on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake pkg-config \
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-charts-dev libqt6charts6 \
  libqt6opengl6-dev libxkbcommon-dev libsqlite3-dev libgl-dev \
  libsodium-dev libzip-dev libofx-dev libfreexl-dev \
  qt6-translations-l10n \
  fonts-arphic-uming \
  xvfb xauth xdotool x11-xserver-utils openbox x11-utils sqlite3 \
  clang libclang-rt-14-dev \
  desktop-file-utils appstream dpkg-dev
