#!/bin/bash
# Builds and runs the status list benchmark under Wine and prints its table: how long opening the
# status window's list of reserved messages holds the user-interface thread (every account's index
# and the held messages' headers read, the rows put in a list view). Arguments go to the
# benchmark: [accounts] [lines] [held] [rounds]. A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
cmake --build "$CHRONEL_WIN_BUILD" --target status_list_bench >/dev/null
source scripts/xvfb.sh
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "wine: $(wine --version)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/status_list_bench.exe "$@"
