#!/bin/bash
# Installs what the build and the tests need (once), prepares the Wine prefix, and builds both
# configurations. Safe to run again: every step is skipped when its result is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libgtest-dev googletest g++-mingw-w64-i686 wine wine32:i386 xvfb
          x11-apps imagemagick fonts-ipafont-gothic fonts-ipafont-mincho clang lld libclang-rt-14-dev
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

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset mingw >/dev/null
cmake --build --preset mingw
# The shipped DLLs once more with clang, warnings as errors.
scripts/build-clang.sh
