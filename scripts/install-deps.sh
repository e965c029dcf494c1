#!/usr/bin/env bash
# Installs the Debian packages Muralto needs to build, run and test, when missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools libqt6svg6-dev libgl-dev
  libjpeg-dev libsqlite3-dev libpng-dev libgif-dev libwebp-dev libtiff-dev libx11-dev libxss-dev
  libheif-dev libheif-examples libjxl-dev libjxl-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  libglib2.0-dev libxrandr-dev
  xvfb xauth x11-utils x11-apps fonts-noto-cjk imagemagick time
  dbus dbus-x11 libglib2.0-bin dconf-service dconf-cli gsettings-desktop-schemas
  xfconf libxfconf-0-3 openbox
  hyperfine xwallpaper feh hsetroot libjpeg-turbo-progs graphicsmagick libvips-tools
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
