#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing,
# and builds the Japanese locale Wine runs under.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev clang-tidy clang-format cppcheck
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
  xvfb xdotool x11-utils x11-xserver-utils imagemagick fonts-ipafont-gothic locales python3 bsdutils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "bootstrap: building the ja_JP.UTF-8 locale"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
