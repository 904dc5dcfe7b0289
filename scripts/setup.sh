#!/bin/bash
# Installs what the build and the tests need (once), finds out which Windows build runs here,
# and builds. Safe to run again: every step is skipped when its result is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libgtest-dev googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386
          wine64 xvfb x11-apps imagemagick fonts-ipafont-gothic fonts-ipafont-mincho clang lld libclang-rt-14-dev
          python3 unzip stress-ng)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Whether 32-bit Windows programs run here: a tiny i686 program under Wine, in the prefix the
# i686 tests use first (made here if need be), with a time limit. Asked once; the answer and why
# stay in build/wine-path.
mkdir -p build
if [ "${CHRONEL_FORCE_64:-}" = 1 ]; then
  echo "setup: CHRONEL_FORCE_64=1: the x86-64 build runs under 64-bit Wine; the i686 DLLs are built and read as files"
elif [ -f build/wine-path ]; then
  echo "setup: $(sed -n 2p build/wine-path)"
else
  probe=build/probe
  mkdir -p "$probe"
  printf '#include <stdio.h>\nint main(void) { puts("32-bit Windows programs run"); return 0; }\n' > "$probe/probe32.c"
  i686-w64-mingw32-gcc -o "$probe/probe32.exe" "$probe/probe32.c"
  prefix="$PWD/build/mingw/wineprefix-0"
  mkdir -p build/mingw
  # Into a file: processes Wine leaves running would hold a pipe open.
  env -u DISPLAY WINEPREFIX="$prefix" WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINEDEBUG=-all \
    timeout 300 /usr/lib/wine/wine "$probe/probe32.exe" >"$probe/answer.txt" 2>&1 </dev/null || true
  answer=$(cat "$probe/answer.txt")
  if grep -q "32-bit Windows programs run" <<<"$answer"; then
    printf 'mingw\n%s\n' "32-bit Windows programs run here: the i686 build runs under Wine" > build/wine-path
  else
    WINEPREFIX="$prefix" timeout 30 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    said=$(grep -v '^$' <<<"$answer" | head -n 3 | tr '\n' ' ')
    printf 'mingw64\n%s\n' "32-bit Windows programs do not run here (Wine said: ${said:-nothing, and gave up after 300 s}): the x86-64 build runs under 64-bit Wine; the i686 DLLs are built and read as files" > build/wine-path
  fi
  echo "setup: $(sed -n 2p build/wine-path)"
fi
source scripts/wine-path.sh

# The i686 build is always made: it is what users get, and its files are read by the image
# tests on either path. The x86-64 build holds the code to the same warnings; where it runs the
# tests it is built whole, else only its DLLs.
if [ "$CHRONEL_WIN_PRESET" = mingw ]; then i686_only=OFF; x64_only=ON; else i686_only=ON; x64_only=OFF; fi
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset mingw -DCHRONEL_SHIPPED_ONLY=$i686_only >/dev/null
cmake --build --preset mingw
cmake --preset mingw64 -DCHRONEL_SHIPPED_ONLY=$x64_only >/dev/null
cmake --build --preset mingw64
# The shipped DLLs once more with clang, warnings as errors.
scripts/build-clang.sh
