#!/usr/bin/env bash
# Prints the program's measured figures: the tick benchmark, the exe's size, the
# start time and the memory after 1,000 ticks. Nothing here passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireon tick_bench -j "$(nproc)" >/dev/null
source scripts/wine-env.sh
vireon_prepare_prefix
trap vireon_stop_display EXIT
vireon_start_display
echo "== tick benchmark"
wine build/windows/tick_bench.exe
echo "== the shipped program"
python3 scripts/measure.py "$PWD/build/windows/Vireon.exe" "${TICKS:-1000}"
