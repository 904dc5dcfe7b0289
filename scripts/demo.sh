#!/bin/bash
# Sets up what is missing and runs the demo: the simulated host with the real chronel.dll,
# printing its timeline.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
source scripts/xvfb.sh
build/mingw/wine-run.sh build/mingw/host/Quillpost.exe --demo "$@" | iconv -f CP932 -t UTF-8
# chronel's own record of the same run (the host gives it AppData beside itself), its last lines.
log=build/mingw/host/AppData/Quor/ChronelPlug/chronel.log
if [ -f "$log" ]; then
  echo
  echo "--- chronel.log (last lines)"
  tail -n 20 "$log" | iconv -f CP932 -t UTF-8 | tr -d '\r'
fi
