#!/bin/bash
# Builds and runs the outbox scan benchmark under Wine and prints its table: for each cell of
# accounts x index entries x held messages, one scan against reading the same files once, both
# measured in the same run. Arguments go to the benchmark: [rounds] [max-accounts] [max-entries];
# "[rounds] [max-accounts] [max-entries] largest" measures only the largest size's cells;
# or "release [rounds]": the release of a 1, 10 and 100 MB message against a plain copy of it.
# A machine description goes first, for the record in docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
cmake --build "$CHRONEL_WIN_BUILD" --target outbox_bench >/dev/null
source scripts/xvfb.sh
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "memory: $(free -h | awk '/^Mem:/ {print $2 " total, " $7 " available"}')"
echo "wine: $(wine --version)"
echo
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/outbox_bench.exe "$@"
