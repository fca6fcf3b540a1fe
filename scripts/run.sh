#!/usr/bin/env bash
# Builds Vireon.exe and runs it under Wine on your display, in a Wine prefix of
# its own under your data folder: windows managed by your window manager, the
# Japanese fonts linked, Vireon.ini next to the exe (build/app). Without a
# display it runs the headless demo instead and writes screenshots to build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."

display_up() {
  [ -n "${DISPLAY:-}" ] || return 1
  local n=${DISPLAY#*:}
  n=${n%%.*}
  # A local display has its socket; a remote one is taken at its word.
  [ "${DISPLAY%%:*}" != "" ] || [ -S "/tmp/.X11-unix/X$n" ]
}

if display_up; then
  scripts/bootstrap.sh run
else
  scripts/bootstrap.sh demo
fi
cmake --preset app >/dev/null
cmake --build --preset app -j "$(nproc)"
exe=$PWD/build/app/Vireon.exe

if display_up; then
  export WINEPREFIX=${VIREON_DESKTOP_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/vireon/wineprefix}
  source scripts/wine-env.sh
  vireon_prepare_desktop_prefix
  echo "run: starting $exe on $DISPLAY (Wine prefix $WINEPREFIX)"
  # Per-pixel alpha blends with the desktop only through a compositing manager;
  # without one a fading trail shows on black.
  screen=${DISPLAY##*.}
  [ "$screen" != "$DISPLAY" ] || screen=0
  if ! python3 scripts/x11.py owner "_NET_WM_CM_S$screen" >/dev/null 2>&1; then
    echo "run: no compositing manager holds this screen: フェード (fading) needs one, e.g. xcompmgr &"
  fi
  wine "$exe" "$@"
  # Wine's own helper processes end with the server a few seconds after the program.
  wineserver -w
  exit 0
fi

echo "run: no display, running the headless demo"
source scripts/wine-env.sh
vireon_prepare_prefix
trap vireon_stop_display EXIT
vireon_start_display
python3 scripts/demo.py "$exe" "$PWD/build/demo"
