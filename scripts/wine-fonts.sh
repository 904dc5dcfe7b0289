#!/bin/bash
# Maps the dialogs' font names to the IPA fonts, so Japanese text renders in screenshots.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
reg=$(mktemp --suffix=.reg)
# regedit reads the file in the ANSI code page of the prefix (932 here).
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n'
} | iconv -f UTF-8 -t CP932 > "$reg"
"$root/build/mingw/wine-run.sh" regedit /S "Z:$(echo "$reg" | tr / '\\')" >/dev/null 2>&1 || true
rm -f "$reg"
