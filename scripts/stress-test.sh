#!/bin/bash
# Runs the whole suite (scripts/test.sh) RUNS times while `stress-ng --cpu 2` keeps both cores
# busy, and prints a table: run, result, duration, and the machine's 1-minute load average during
# the run (mean and highest of samples taken every 10 s). The suite must pass on a loaded machine.
#
#   scripts/stress-test.sh [RUNS]      # default 3; logs in build/stress/run-N.log
#
# Holds /tmp/chronel-wine.lock for the whole time, so that no other Wine tests share the machine
# with it; stress-ng runs only while a run of the suite does.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"
case "$runs" in '' | *[!0-9]*) echo "usage: scripts/stress-test.sh [RUNS]" >&2; exit 64 ;; esac

scripts/setup.sh >/dev/null
command -v stress-ng >/dev/null || { echo "stress-ng is missing (scripts/setup.sh installs it)" >&2; exit 1; }
out="$PWD/build/stress"
mkdir -p "$out"

exec 9>/tmp/chronel-wine.lock
flock 9

stress_pid=
sampler_pid=
stop_background() {
  [ -n "$sampler_pid" ] && kill "$sampler_pid" 2>/dev/null && wait "$sampler_pid" 2>/dev/null || true
  [ -n "$stress_pid" ] && kill "$stress_pid" 2>/dev/null && wait "$stress_pid" 2>/dev/null || true
  sampler_pid=
  stress_pid=
}
trap stop_background EXIT

rows=()
failed=0
for run in $(seq 1 "$runs"); do
  log="$out/run-$run.log"
  loads="$out/run-$run.load"
  : >"$loads"
  stress-ng --cpu 2 --timeout 0 --quiet 9>&- &
  stress_pid=$!
  (while :; do cut -d' ' -f1 /proc/loadavg >>"$loads"; sleep 10; done) 9>&- &
  sampler_pid=$!
  started=$(date +%s)
  if scripts/test.sh >"$log" 2>&1 9>&-; then result=passed; else result=FAILED; failed=1; fi
  seconds=$(( $(date +%s) - started ))
  stop_background
  summary=$(grep -a -E "tests passed, [0-9]+ tests failed out of" "$log" | awk '{f += $4; n += $9} END {printf "%d of %d failed", f, n}')
  load=$(awk '{s += $1; if ($1 > m) m = $1} END {if (NR) printf "%.1f / %.1f", s / NR, m; else print "-"}' "$loads")
  rows+=("| $run | $result ($summary) | $((seconds / 60)) min $((seconds % 60)) s | $load |")
  echo "run $run: $result, ${seconds} s" >&2
done

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
echo "Load: stress-ng --cpu 2 beside the suite; load average (1 min) sampled every 10 s."
echo
echo "| run | result | duration | load average, mean / highest |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
exit $failed
