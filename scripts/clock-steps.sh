#!/bin/bash
# A long run of the random clock-step check through the simulated host: DAYS simulated days
# (default 7) from Monday 2026-12-07 with an entry every ten minutes, the clock stepped at random
# back by up to two hours or forward by up to three about every 20 minutes of the host's time, and
# the host's log checked: no entry ran twice, none ran without its entry, and every entry whose
# minute the clock ran into while no run was going ran. Usage: scripts/clock-steps.sh [DAYS] [SEED]
# Take the Wine lock first when other runs share the machine:
#   flock -o /tmp/chronel-wine.lock scripts/clock-steps.sh 7 16
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
[ -d "$CHRONEL_WIN_BUILD" ] || scripts/setup.sh >/dev/null
cmake --build "$CHRONEL_WIN_BUILD" --target clock_step_e2e_tests Quillpost chronel >/dev/null
source scripts/xvfb.sh >/dev/null
export CHRONEL_CLOCK_STEP_DAYS="${1:-7}" CHRONEL_CLOCK_STEP_SEED="${2:-16}"
started=$(date +%s)
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/tests/e2e/clock_step_e2e_tests.exe \
  --gtest_filter='*ARandomlySteppedClock*' </dev/null
echo "$CHRONEL_CLOCK_STEP_DAYS simulated day(s), seed $CHRONEL_CLOCK_STEP_SEED, $(( $(date +%s) - started )) s wall"
