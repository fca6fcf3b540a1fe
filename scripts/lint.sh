#!/usr/bin/env bash
# Static analysis over every source file: clang-tidy (native files through the
# host build's compile database, Windows files through the cross build's,
# rewritten for clang with the mingw-w64 headers) and cppcheck. Exits non-zero
# on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/host/compile_commands.json ] || cmake --preset host >/dev/null
[ -f build/windows/compile_commands.json ] || cmake --preset windows >/dev/null

db=build/lint
mkdir -p "$db"
python3 - build/windows/compile_commands.json "$db/compile_commands.json" <<'PY'
import json, re, subprocess, sys
source, target = sys.argv[1:]
# The cross compiler's own C++ include folders, for clang to parse the mingw-w64 headers.
probe = subprocess.run(["x86_64-w64-mingw32-g++-posix", "-xc++", "-E", "-v", "-"], input="", capture_output=True, text=True).stderr
dirs = probe.split("#include <...> search starts here:")[1].split("End of search list.")[0].split()
flags = ["--target=x86_64-w64-windows-gnu", "-nostdinc++"] + [f for d in dirs if "c++" in d for f in ("-isystem", d)] + ["-isystem", "/usr/x86_64-w64-mingw32/include"]
out = []
for entry in json.load(open(source)):
    if "/googletest/" in entry["file"] or not entry["file"].endswith(".cpp"):
        continue
    words = entry.get("arguments") or entry["command"].split()
    words = ["clang++"] + flags + [w for w in words[1:] if not w.startswith(("-fno-keep-inline", "-mwindows", "-municode"))]
    out.append({"directory": entry["directory"], "file": entry["file"], "arguments": words})
json.dump(out, open(target, "w"), indent=1)
PY

files() { python3 -c "import json,sys;[print(e['file']) for e in json.load(open(sys.argv[1])) if '/googletest/' not in e['file'] and '/build/' not in e['file']]" "$1"; }
status=0
files build/host/compile_commands.json | sort -u > "$db/host.txt"
files "$db/compile_commands.json" | sort -u | grep -v -x -F -f "$db/host.txt" > "$db/windows.txt" || true
echo "lint: clang-tidy over $(cat "$db/host.txt" "$db/windows.txt" | wc -l) files"
xargs -P "$(nproc)" -n 1 clang-tidy --quiet -p build/host < "$db/host.txt" > "$db/tidy.txt" 2>/dev/null || status=1
xargs -P "$(nproc)" -n 1 clang-tidy --quiet -p "$db" < "$db/windows.txt" >> "$db/tidy.txt" 2>/dev/null || status=1
if [ "$status" -ne 0 ] || grep -q 'error:\|warning:' "$db/tidy.txt"; then
  grep -E 'error:|warning:' "$db/tidy.txt" | sort -u
  echo "lint: clang-tidy found problems"
  exit 1
fi

echo "lint: cppcheck"
cppcheck --quiet --enable=warning,performance,portability --inline-suppr --error-exitcode=1 --std=c++20 --library=googletest --library=windows \
  --suppressions-list=.cppcheck-suppressions -I src -I res -D_WIN32 -DUNICODE src tests bench

echo "lint: clang-format"
# Git is not needed to run the tests: outside a checkout the sources are found on disk.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files '*.cpp' '*.h'
else
  find src tests bench -name '*.cpp' -o -name '*.h'
fi | xargs clang-format --dry-run --Werror
echo "lint: clean"
