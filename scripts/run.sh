#!/usr/bin/env bash
# Builds Vireon.exe and runs it under Wine on your display. Without a display it
# runs a headless demo instead and writes screenshots to build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireon -j "$(nproc)"
exe=$PWD/build/windows/Vireon.exe

source scripts/wine-env.sh
vireon_prepare_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run: starting $exe on $DISPLAY"
  exec wine "$exe" "$@"
fi

echo "run: no display, running the headless demo"
trap vireon_stop_display EXIT
vireon_start_display
python3 scripts/demo.py "$exe" "$PWD/build/demo"
