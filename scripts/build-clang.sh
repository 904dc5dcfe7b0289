#!/bin/bash
# Builds chronel.dll and chronset.dll a second time with clang, warnings as errors. clang takes
# UTF-8 only, so it builds from a mirror of the sources whose Japanese text is written as Shift JIS
# escapes (cmake/cp932-mirror.py); gcc builds the originals.
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=build/clang-src
mkdir -p "$mirror"
cp CMakeLists.txt CMakePresets.json "$mirror/"
python3 cmake/cp932-mirror.py . "$mirror" cmake scripts common contract plugin setup
cmake -S "$mirror" -B build/clang -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/$mirror/cmake/toolchain-clang-i686.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHRONEL_WERROR=ON -DCHRONEL_SHIPPED_ONLY=ON >/dev/null
cmake --build build/clang
