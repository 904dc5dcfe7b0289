#!/bin/bash
# Builds the release zip: chronel.dll, chronset.dll (stripped), the user guide with the
# reservation dialog's picture, the license and a sample settings file written by the real export.
# Reproducible: the same sources give the same bytes. Needs an X display and the Wine prefix
# (scripts/xvfb.sh); scripts/test.sh runs it.
#
# usage: scripts/package.sh [OUTPUT_DIR]    (default build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="${1:-$root/build/package}"
# The DLLs are always the i686 build's; the programs that write the sample settings and draw the
# picture run from the Windows build that runs here (scripts/wine-path.sh).
shipped="$root/build/mingw"
source scripts/wine-path.sh
build="$CHRONEL_WIN_BUILD"
if [ -z "${DISPLAY:-}" ]; then
  source scripts/xvfb.sh
fi
cmake --build "$shipped" --target chronel chronset >/dev/null
cmake --build "$build" --target chronel chronset export_sample editor_screenshots >/dev/null

stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
# strip stamps the PE header with the time unless it is given one: the zip's own date.
export SOURCE_DATE_EPOCH=1796083200
i686-w64-mingw32-strip -o "$stage/chronel.dll" "$shipped/host/Plugins/chronel.dll"
i686-w64-mingw32-strip -o "$stage/chronset.dll" "$shipped/host/Plugins/chronset.dll"
cp package/guide.html "$stage/guide.html"
cp package/LICENSE.txt "$stage/LICENSE.txt"

winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
"$build/wine-run.sh" "$build/package/export_sample.exe" "$(winpath "$stage/chronel-sample.reg")"

# The picture of the reservation dialog for the guide.
shots="$out/shots"
rm -rf "$shots"
mkdir -p "$shots"
"$build/wine-run.sh" explorer /desktop=chronelpkg,1024x768 "$build/tools/editor_screenshots.exe" \
  "$(winpath "$shots")" --reservation-only >/dev/null
convert "$shots/chronel-reserve.bmp" -strip -define png:exclude-chunks=date,time "$stage/reserve-dialog.png"

zip="$out/chronel-1.10.zip"
rm -f "$zip"
args=()
for f in chronel.dll chronset.dll guide.html LICENSE.txt chronel-sample.reg reserve-dialog.png; do
  args+=("chronel-1.10/$f=$stage/$f")
done
python3 package/make-zip.py "$zip" "${args[@]}"
echo "$zip"
