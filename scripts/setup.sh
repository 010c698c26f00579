#!/usr/bin/env bash
# Installs every tool the build and the tests need (Debian packages only).
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  googletest zlib1g-dev
  wine wine64 wine32:i386 xvfb xauth
  python3 unzip zip p7zip-full
  locales libcli11-dev nsis
  librsvg2-bin icoutils x11-apps imagemagick xdotool
  fonts-wine netpbm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# German Windows under wine needs the de_DE.UTF-8 locale on the host.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "setup: generating de_DE.UTF-8"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
# Windows programs draw in Tahoma, title bar buttons in Marlett. Wine's own fonts (fonts-wine) are
# not on fontconfig's path, where wine looks for fonts a prefix lacks: make these visible there.
# Only Tahoma's regular face: the bold face's outlines are the regular ones (bold only in
# its small bitmaps), while wine emboldens the regular face properly.
tahoma_dir=/usr/local/share/fonts/wine-tahoma
if [ ! -e "$tahoma_dir/tahoma.ttf" ] || [ ! -e "$tahoma_dir/marlett.ttf" ]; then
  echo "setup: making wine's Tahoma and Marlett visible to fontconfig"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO mkdir -p "$tahoma_dir"
  $SUDO ln -sf /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/marlett.ttf "$tahoma_dir/"
  $SUDO fc-cache -f "$tahoma_dir" >/dev/null 2>&1 || true
fi
echo "setup: all tools present"
