#!/bin/bash
# Builds and runs the outbox scan benchmark under Wine; prints the scan time against reading the
# same files once, both measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/mingw --target outbox_bench >/dev/null
source scripts/xvfb.sh
build/mingw/wine-run.sh build/mingw/bench/outbox_bench.exe
