#!/bin/bash
# Sets up what is missing, builds, and runs every test: the native tests, then the Windows tests
# and the scenarios through the simulated host under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
source scripts/xvfb.sh
status=0
ctest --preset native -j2 || status=1
ctest --preset mingw -j2 || status=1
exit $status
