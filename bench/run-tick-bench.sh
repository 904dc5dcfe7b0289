#!/bin/bash
# Timer tick cost through the simulated host: a simulated week (or DAYS days) with a scheduled
# receive every minute of every day (7 x 1440 entries), each receive ending at once. The host
# times every call of the plug-in's timer and, right after it, one call of the clock function the
# plug-in reads (its substituted GetLocalTime), and at the end replays 20 million idle ticks
# timed by thread CPU time. Prints one table. Usage: bench/run-tick-bench.sh [DAYS]
set -euo pipefail
days=${1:-7}
source "$(dirname "$0")/host-bench.sh"

scenario="$BENCH_DIR/tick.txt"
log="$BENCH_DIR/tick.log"
{
  echo "clear-settings"
  echo "setting AutoStart dword 1"
  echo "receive-seconds 0"
  echo "measure"
  week_entries 1440
  echo "start 2026-12-07 00:00:00"  # a Monday
  echo "end $(date -d "2026-12-07 + $days days" +%F) 00:00:00"
} >"$scenario"
started=$(date +%s)
host_run "$scenario" "$log"
elapsed=$(($(date +%s) - started))

echo "Machine: $(machine_line)"
python3 - "$log" "$days" "$elapsed" <<'PY'
import re, sys
log, days, elapsed = open(sys.argv[1], encoding="cp932").read(), sys.argv[2], sys.argv[3]
runs = log.count("command: 32786")
print(f"Timer tick through the simulated host: {days} simulated day(s), entry every minute, {runs} scheduled runs, "
      f"{elapsed} s wall for the whole run")
print()
print("| tick | count | plug-in timer | clock alone | empty timing | timer - clock | (fastest 99%) timer - clock |")
print("|---|---:|---:|---:|---:|---:|---:|")
pat = re.compile(r"bench: ticks (.+?): count (\d+) mean timer ([\d.]+) clock ([\d.]+) empty ([\d.]+) ns; "
                 r"fastest 99% timer ([\d.]+) clock ([\d.]+) empty ([\d.]+) ns")
for m in pat.finditer(log):
    name, n = m.group(1), int(m.group(2))
    t, c, e, t99, c99 = (float(m.group(i)) for i in (3, 4, 5, 6, 7))
    print(f"| {name} | {n} | {t:.0f} ns | {c:.0f} ns | {e:.0f} ns | {t - c:.0f} ns | {t99 - c99:.0f} ns |")
m = re.search(r"bench: idle replay (\d+) ticks, thread cpu per tick: timer ([\d.]+) clock ([\d.]+) loop ([\d.]+) ns", log)
if m:
    n, t, c, l = int(m.group(1)), float(m.group(2)), float(m.group(3)), float(m.group(4))
    print(f"| idle, tight replay (thread CPU) | {n} | {t:.1f} ns | {c:.1f} ns | {l:.1f} ns (loop) | {t - c:.1f} ns | |")
m = re.search(r"bench: host loop (\d+) ticks, wall (\d+) ms, thread cpu (\d+) ms", log)
if m:
    n, w, cpu = int(m.group(1)), int(m.group(2)), int(m.group(3))
    print(f"| whole host step (message loop, actions, timer, timing) | {n} | {w * 1e6 / n:.0f} ns wall | "
          f"{cpu * 1e6 / n:.0f} ns thread CPU | | | |")
if "bench: ticks" not in log:
    sys.exit("no measurements in the log")
PY
