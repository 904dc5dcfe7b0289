#!/bin/bash
# Builds and runs the outbox scan benchmark under Wine and prints its table: for each cell of
# accounts x index entries x held messages, one scan against reading the same files once, both
# measured in the same run. Arguments go to the benchmark: [rounds] [max-accounts] [max-entries];
# "[rounds] [max-accounts] [max-entries] largest" measures only the largest size's cells;
# or "release [rounds]": the release of a 1, 10 and 100 MB message against a plain copy of it.
# A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
source "$(dirname "$0")/bench-setup.sh" outbox_bench
echo "Machine: $(machine_line)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/outbox_bench.exe "$@"
