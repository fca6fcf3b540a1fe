#!/usr/bin/env bash
# Installs the Debian packages a task needs, when they are missing, and builds
# the Japanese locale Wine runs under.
#   bootstrap.sh run    what running Vireon needs: Wine, fonts, the cross compiler, CMake
#   bootstrap.sh demo   that and the virtual display the headless demo drives
#   bootstrap.sh test   everything the tests and the lint need (the default)
set -euo pipefail

run=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-ipafont-gothic fonts-umeplus locales python3 xcompmgr)
demo=("${run[@]}" xvfb xdotool x11-utils x11-xserver-utils imagemagick)
test=("${demo[@]}" xserver-xephyr g++ googletest libgtest-dev clang-tidy clang-format cppcheck bsdutils procps)

case "${1:-test}" in
  run) packages=("${run[@]}") ;;
  demo) packages=("${demo[@]}") ;;
  test) packages=("${test[@]}") ;;
  *) echo "bootstrap: unknown task '$1' (run, demo or test)" >&2; exit 2 ;;
esac

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  # Through env, so that the setting survives sudo's clean environment.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "bootstrap: building the ja_JP.UTF-8 locale"
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
