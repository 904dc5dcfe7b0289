#!/bin/bash
# Builds and runs the index parsing benchmark under Wine and prints its table: nanoseconds per
# index line for finding and splitting the lines in memory, against copying the bytes once and
# against counting the line ends one byte at a time. Arguments go to the benchmark:
# [lines] [rounds]. A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
source "$(dirname "$0")/bench-setup.sh" index_parse_bench
echo "Machine: $(machine_line)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/index_parse_bench.exe "$@"
