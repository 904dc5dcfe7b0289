#!/bin/bash
# Renders the settings editor's four pages, its schedule detail dialog and chronel's dialogs to
# PNG files, on a private X display, for a person to look at: into the folder given (the guide's
# copies live in docs/screenshots), or build/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
cmake --build "$CHRONEL_WIN_BUILD" --target editor_screenshots chronset chronel >/dev/null
source scripts/xvfb.sh
out="$(realpath -m "${1:-build/screenshots}")"
rm -rf "$out"
mkdir -p "$out"
# A virtual desktop: Wine draws the title bars itself, with no window manager on the display.
"$CHRONEL_WIN_BUILD"/wine-run.sh explorer /desktop=chronel,1024x768 "$CHRONEL_WIN_BUILD"/tools/editor_screenshots.exe "Z:$(echo "$out" | tr / '\\')"
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png"
  rm -f "$bmp"
done
ls -1 "$out"
