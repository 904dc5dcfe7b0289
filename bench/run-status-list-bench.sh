#!/bin/bash
# Builds and runs the status list benchmark under Wine and prints its table: how long opening the
# status window's list of reserved messages holds the user-interface thread (every account's index
# and the held messages' headers read, the rows put in a list view). Arguments go to the
# benchmark: [accounts] [lines] [held] [rounds]. A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
source "$(dirname "$0")/bench-setup.sh" status_list_bench
echo "Machine: $(machine_line)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/status_list_bench.exe "$@"
