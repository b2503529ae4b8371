#!/usr/bin/env bash
# Installs what building, running and testing the installer need on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  pkexec polkitd
  xvfb xauth xdotool xclip x11-utils imagemagick fonts-dejavu-core
  python3 python3-pyatspi at-spi2-core dbus-x11
  rsync desktop-file-utils
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
