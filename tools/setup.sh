#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-qpa-plugins
    libsimpleini-dev libgtest-dev libgmock-dev
    fonts-liberation fonts-dejavu-core
    python3 socat xvfb xdotool imagemagick desktop-file-utils libx11-dev
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
