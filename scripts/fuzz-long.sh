#!/bin/bash
# Runs every fuzz target for a share of the given time (seconds, default 600), each on its seed
# corpus from the repository and a working corpus in the build tree. A finding stops that target
# and is written to build/fuzz-findings/; the script then exits non-zero.
# Usage: scripts/fuzz-long.sh [total-seconds]
set -uo pipefail
cd "$(dirname "$0")/.."
total=${1:-600}
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null || exit 1
targets=(FuzzHeaderText FuzzIndexLine FuzzMessageRewrite FuzzDateLine FuzzStoredValue FuzzSntpReply)
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1
findings=build/fuzz-findings
mkdir -p "$findings"
status=0
printf '| target | seconds | runs | corpus | result |\n|---|---:|---:|---:|---|\n'
for t in "${targets[@]}"; do
  corpus=build/native/tests/fuzz/${t}_corpus
  mkdir -p "$corpus"
  log=$findings/$t.log
  build/native/tests/fuzz/$t -max_total_time="$each" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/$t-" "$corpus" "tests/fuzz/seeds/$t" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' | tail -1)
  result=ok
  if [ $rc -ne 0 ]; then result="FOUND (see $log)"; status=1; fi
  printf '| %s | %s | %s | %s | %s |\n' "$t" "$each" "${runs:-?}" "$(ls "$corpus" | wc -l)" "$result"
done
exit $status
