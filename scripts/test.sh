#!/bin/bash
# Sets up what is missing, builds, and runs every test: the native tests, then the Windows tests
# and the scenarios through the simulated host under Wine, two at a time in two Wine prefixes.
# The Windows build is the i686 one where 32-bit programs run, else the x86-64 one
# (scripts/setup.sh says which, and why).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/setup.sh
source scripts/xvfb.sh
echo "test: the Windows tests run the $CHRONEL_WIN_PRESET build ($CHRONEL_WIN_BUILD)"
status=0
ctest --preset native -j2 || status=1
ctest --preset "$CHRONEL_WIN_PRESET" -j2 || status=1
echo "test: $(( $(date +%s) - start )) s in all"
exit $status
