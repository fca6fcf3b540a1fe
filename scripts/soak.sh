#!/usr/bin/env bash
# Ten minutes (SOAK_SECONDS) of the shipped program drawing the trail of a moving
# pointer on a private display; fails when its memory grows or it stops drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireon -j "$(nproc)" >/dev/null
source scripts/wine-env.sh
vireon_prepare_prefix
trap vireon_stop_display EXIT
vireon_start_display
python3 scripts/soak.py "$PWD/build/windows/Vireon.exe" "${SOAK_SECONDS:-600}"
