#!/bin/bash
# The prefix's own settings: the dialogs' font names map to the IPA fonts, so Japanese text
# renders in screenshots; and Wine manages no window itself. There is no window manager on the
# test displays, so a window Wine left to one would never be reported withdrawn when it is
# hidden, and Wine waits 2 s for that at every dialog or message box that closes. Runs in the
# prefix wine-run.sh picks (scripts/xvfb.sh names the slot).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-path.sh"
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
# regedit reads the file in the ANSI code page of the prefix (932 here).
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
} | iconv -f UTF-8 -t CP932 > "$reg"
"$CHRONEL_WIN_BUILD/wine-run.sh" regedit /S "Z:$(echo "$reg" | tr / '\\')"
