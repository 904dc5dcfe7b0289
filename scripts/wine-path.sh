#!/bin/bash
# Sourced: which Windows build runs the programs here. Where the kernel runs 32-bit x86 code,
# the i686 build (the one users get) runs under Wine; where it cannot, the x86-64 build of the
# same sources runs under 64-bit Wine. scripts/setup.sh finds out once and writes the answer to
# build/wine-path; CHRONEL_FORCE_64=1 takes the x86-64 build whatever it says.
# Sets CHRONEL_WIN_PRESET (mingw or mingw64) and CHRONEL_WIN_BUILD (its build folder).
_wine_path_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${CHRONEL_FORCE_64:-}" = 1 ]; then
  CHRONEL_WIN_PRESET=mingw64
elif [ -f "$_wine_path_root/build/wine-path" ]; then
  CHRONEL_WIN_PRESET=$(sed -n 1p "$_wine_path_root/build/wine-path")
else
  CHRONEL_WIN_PRESET=mingw
fi
CHRONEL_WIN_BUILD="$_wine_path_root/build/$CHRONEL_WIN_PRESET"
export CHRONEL_WIN_PRESET CHRONEL_WIN_BUILD
