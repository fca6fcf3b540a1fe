#!/usr/bin/env bash
# Every test: the pure logic natively with sanitizers, the Windows build under
# Wine, then the static analysis. A lint finding fails the run but comes after
# the tests, so it never hides their results.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -e build ] && [ "$(stat -c %u build)" != "$(id -u)" ]; then
  echo "test: build/ belongs to $(stat -c %U build), but this run is $(id -un)'s;" \
       "run the tests as $(stat -c %U build), or remove build/ first" >&2
  exit 2
fi
scripts/bootstrap.sh test

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

source scripts/wine-env.sh
vireon_prepare_prefix
vireon_prepare_prefix_144
vireon_prepare_prefix_two_monitors
trap vireon_stop_display EXIT
vireon_start_display

status=0
ctest --preset host -j "$jobs" || status=1
ctest --preset windows || status=1
vireon_stop_display
trap - EXIT

scripts/lint.sh || status=1
[ "$status" -eq 0 ] && echo "test: all passed" || echo "test: FAILED (see above)" >&2
exit "$status"
