#!/bin/bash
# The DLLs built by clang behave as the gcc-built ones: the demo through the simulated host gives
# the same timeline, byte for byte (its text is Shift JIS from both compilers).
set -euo pipefail
build="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
if [ "$build" != "$root/build/mingw" ]; then
  echo "skipped: needs 32-bit execution (clang builds the i686 DLLs only)"
  exit 0
fi
clang="$root/build/clang/host/Plugins"
if [ ! -f "$clang/chronel.dll" ]; then
  echo "FAIL: $clang/chronel.dll missing (scripts/build-clang.sh builds it)"; exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in gcc clang; do
  mkdir -p "$work/$kind/Plugins"
  cp "$build/host/Quillpost.exe" "$work/$kind/"
done
cp "$build/host/Plugins/chronel.dll" "$build/host/Plugins/chronset.dll" "$work/gcc/Plugins/"
cp "$clang/chronel.dll" "$clang/chronset.dll" "$work/clang/Plugins/"
"$build/wine-run.sh" "$work/gcc/Quillpost.exe" --demo > "$work/gcc.log"
"$build/wine-run.sh" "$work/clang/Quillpost.exe" --demo > "$work/clang.log"
if ! cmp -s "$work/gcc.log" "$work/clang.log"; then
  echo "FAIL: the demo differs"; diff "$work/gcc.log" "$work/clang.log" | iconv -f CP932 -t UTF-8 | head -20; exit 1
fi
grep -q "command: 32859 (patrol receive)" "$work/clang.log" || { echo "FAIL: no run in the demo"; exit 1; }
echo "1 passed, 0 failed"
