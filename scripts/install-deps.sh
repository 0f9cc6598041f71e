#!/usr/bin/env bash
# Installs every Debian package the project needs that is not there yet.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3
  python3 unicode-data
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xdotool xclip x11-utils libx11-dev libxdamage-dev
  dbus-daemon at-spi2-core python3-pyatspi
  desktop-file-utils appstream dpkg-dev fakeroot file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
