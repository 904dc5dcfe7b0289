#!/bin/bash
# Builds and runs the index parsing benchmark under Wine and prints its table: nanoseconds per
# index line for finding and splitting the lines in memory, against copying the bytes once and
# against counting the line ends one byte at a time. Arguments go to the benchmark:
# [lines] [rounds]. A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
cmake --build "$CHRONEL_WIN_BUILD" --target index_parse_bench >/dev/null
source scripts/xvfb.sh
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "wine: $(wine --version)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/index_parse_bench.exe "$@"
