#!/usr/bin/env bash
# Every test: native pure logic with sanitizers, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host -j "$jobs"

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

scripts/lint.sh

source scripts/wine-env.sh
vireon_prepare_prefix
vireon_prepare_prefix_144
trap vireon_stop_display EXIT
vireon_start_display
ctest --preset windows
