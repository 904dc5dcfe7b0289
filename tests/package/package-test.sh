#!/bin/bash
# The release zip as a user gets it: made twice, it is the same bytes; unpacked into a fresh
# folder beside the simulated host (chronel.dll and chronset.dll in its Plugins folder), the demo
# runs from it and the plug-in works; chronel.dll is within 80 KB and chronset.dll within 128 KB.
set -euo pipefail
build="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/scripts/package.sh" "$work/first" >/dev/null
"$root/scripts/package.sh" "$work/second" >/dev/null
a=$(sha256sum < "$work/first/chronel-1.10.zip")
b=$(sha256sum < "$work/second/chronel-1.10.zip")
if [ "$a" != "$b" ]; then
  echo "FAIL: the zip differs when made again"; exit 1
fi

unzip -q "$work/first/chronel-1.10.zip" -d "$work/unpacked"
expected="chronel-1.10/LICENSE.txt chronel-1.10/chronel-sample.reg chronel-1.10/chronel.dll chronel-1.10/chronset.dll chronel-1.10/guide.html chronel-1.10/reserve-dialog.png"
listed=$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$listed" != "$expected" ]; then
  echo "FAIL: zip holds: $listed"; exit 1
fi
# chronel.dll as shipped stays within 80 KB: the host loads it into every session. chronset.dll,
# loaded only while the user edits the settings, within 128 KB.
for limit in chronel.dll:81920 chronset.dll:131072; do
  dll=${limit%%:*} most=${limit##*:}
  size=$(stat -c %s "$work/unpacked/chronel-1.10/$dll")
  if [ "$size" -gt "$most" ]; then
    echo "FAIL: $dll is $size bytes, more than $most"; exit 1
  fi
done
grep -q '^"ShortCut"="X"$' "$work/unpacked/chronel-1.10/chronel-sample.reg" || { echo "FAIL: sample .reg"; exit 1; }

# The demo from the zip runs the i686 DLLs: only where 32-bit programs run.
if [ "$build" != "$root/build/mingw" ]; then
  echo "the demo from the unpacked zip: skipped: needs 32-bit execution"
  exit 0
fi
host="$work/host"
mkdir -p "$host/Plugins"
cp "$build/host/Quillpost.exe" "$host/"
cp "$work/unpacked/chronel-1.10/chronel.dll" "$work/unpacked/chronel-1.10/chronset.dll" "$host/Plugins/"
log=$("$build/wine-run.sh" "$host/Quillpost.exe" --demo | iconv -f CP932 -t UTF-8)
for line in 'plugin: loaded "Chronel Plug"' 'command: 32786 (receive)' 'command: 32859 (patrol receive)' \
            'host: stopped'; do
  if ! grep -qF "$line" <<<"$log"; then
    echo "FAIL: the demo from the unpacked zip lacks: $line"; echo "$log"; exit 1
  fi
done
echo "1 passed, 0 failed"
