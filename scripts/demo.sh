#!/bin/bash
# Sets up what is missing and runs the demo: the simulated host with the real chronel.dll,
# printing its timeline. The i686 build where 32-bit programs run, else the x86-64 one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
source scripts/wine-path.sh
echo "demo: $(sed -n 2p build/wine-path 2>/dev/null || true)${CHRONEL_FORCE_64:+ (CHRONEL_FORCE_64=1: the x86-64 build)}"
source scripts/xvfb.sh
"$CHRONEL_WIN_BUILD/wine-run.sh" "$CHRONEL_WIN_BUILD/host/Quillpost.exe" --demo "$@" | iconv -f CP932 -t UTF-8
# chronel's own record of the same run (the host gives it AppData beside itself), its last lines.
log="$CHRONEL_WIN_BUILD/host/AppData/Quor/ChronelPlug/chronel.log"
if [ -f "$log" ]; then
  echo
  echo "--- chronel.log (last lines)"
  tail -n 20 "$log" | iconv -f CP932 -t UTF-8 | tr -d '\r'
fi
