#!/usr/bin/env bash
# Builds the portable release package: Vireon.exe (stripped), README and
# licence in a zip, with its SHA-256. The same commit gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireon -j "$(nproc)" >/dev/null

version=$(sed -n 's/^project(Vireon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/release
mkdir -p "$out"
zip="$out/Vireon-$version-win64.zip"
python3 - "$zip" build/windows/Vireon.exe README.md LICENSE <<'PY'
import os, sys, zipfile
target, exe, readme, licence = sys.argv[1:]
# Fixed times, order and attributes: the archive depends on the files' bytes only.
stamp = (2026, 1, 1, 0, 0, 0)
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for source, name in ((exe, "Vireon/Vireon.exe"), (readme, "Vireon/README.md"), (licence, "Vireon/LICENSE.txt")):
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        info.create_system = 0
        with open(source, "rb") as f:
            z.writestr(info, f.read())
PY
(cd "$out" && sha256sum "$(basename "$zip")" > "$(basename "$zip").sha256")
echo "release: $zip"
cat "$zip.sha256"
