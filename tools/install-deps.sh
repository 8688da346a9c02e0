#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that building, running and testing need and that
# are not installed yet. Quiet when nothing is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev libqt6opengl6-dev
  qt6-httpserver-dev qt6-websockets-dev chromium libqrencode-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation qt6-qpa-plugins
  xvfb xauth
  pulseaudio pulseaudio-utils
  cups printer-driver-cups-pdf poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
