#!/bin/bash
# Renders the settings editor's four pages, its schedule detail dialog, chronel's dialogs and the
# status window's two tabs to PNG files, on a private X display, for a person to look at: into the
# folder given (the copies kept in the repository live in docs/screenshots), or build/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
cmake --build "$CHRONEL_WIN_BUILD" --target editor_screenshots chronset chronel Quillpost >/dev/null
source scripts/xvfb.sh
out="$(realpath -m "${1:-build/screenshots}")"
rm -rf "$out"
mkdir -p "$out"
# A virtual desktop: Wine draws the title bars itself, with no window manager on the display.
"$CHRONEL_WIN_BUILD"/wine-run.sh explorer /desktop=chronel,1024x768 "$CHRONEL_WIN_BUILD"/tools/editor_screenshots.exe "Z:$(echo "$out" | tr / '\\')"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

# The status window, in a simulated host of its own with three reserved messages and a log.
host="$PWD/build/screenshots-host"
rm -rf "$host"
mkdir -p "$host/Plugins" "$host/AppData/Quor/ChronelPlug"
cp "$CHRONEL_WIN_BUILD/host/Quillpost.exe" "$host/"
cp "$CHRONEL_WIN_BUILD/host/Plugins/chronel.dll" "$CHRONEL_WIN_BUILD/host/Plugins/chronset.dll" "$host/Plugins/"
held() {  # ACCOUNT NAME RESERVATION SUBJECT TO
  local dir="$host/Mailbox/$1/Outbox.box"
  mkdir -p "$dir"
  printf 'X-Reserve-Date: %s\r\nFrom: user@example.jp\r\nTo: %s\r\nSubject: %s\r\nDate: Mon, 07 Dec 2026 21:00:00 +0900\r\n\r\n本文\r\n' \
    "$3" "$5" "$4" | iconv -f UTF-8 -t CP932 >"$dir/$2.qpm"
  printf '%s=AAAAAAAAAAAAAAAA:%s\r\n' "$2" "$4" | iconv -f UTF-8 -t CP932 >>"$dir/Entry.lst"
}
held Account1 00000001 1796682600 "週報 (12月第1週)" "team@example.jp"
held Account1 00000002 1798104600 "クリスマス会のお知らせ" "all@example.jp"
held Account2 00000001 1796698800 "見積書の送付" "sales@example.co.jp"
printf '%s\r\n' \
  "2026/12/07 07:00:00 スケジュール受信を開始しました: 月曜 07:00 の予定, 巡回受信, 時刻合わせあり" \
  "2026/12/07 07:00:03 時刻合わせ (サーバー ntp.example.jp): 成功 (+0.412 秒)" \
  "2026/12/07 07:00:41 受信が終わりました" \
  "2026/12/07 12:00:00 スケジュール受信を開始しました: 月曜 12:00 の予定, 受信" \
  "2026/12/07 12:00:05 受信中に Quillpost のエラー表示を閉じました: サーバーに接続できません" \
  "2026/12/07 12:00:05 受信がエラーで終わりました" \
  "2026/12/07 18:05:00 予約メールを送信待ちにしました: Account1\\Outbox.box\\00000003" \
  | iconv -f UTF-8 -t CP932 >"$host/AppData/Quor/ChronelPlug/chronel.log"
iconv -f UTF-8 -t CP932 >"$host/status.scenario" <<SCENARIO
clear-settings
setting UseReserve dword 1
setting AutoStart dword 1
entry Tuesday 07:30 around
start 2026-12-07 21:00:00
at 21:00:02 menu status
at 21:00:03 status-select 0
at 21:00:04 status-capture $(winpath "$out/status-held.bmp")
at 21:00:05 status-tab 1
at 21:00:06 status-capture $(winpath "$out/status-log.bmp")
at 21:00:07 press "chronel の状況" 2
end 2026-12-07 21:00:10
SCENARIO
"$CHRONEL_WIN_BUILD"/wine-run.sh explorer /desktop=chronel,1024x768 "$(winpath "$host/Quillpost.exe")" \
  --scenario "$(winpath "$host/status.scenario")" --log "$(winpath "$host/host.log")" >/dev/null

for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png"
  rm -f "$bmp"
done
ls -1 "$out"
