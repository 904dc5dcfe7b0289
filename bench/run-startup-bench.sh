#!/bin/bash
# Start-up and editor opening through the simulated host, RUNS times (default 10) each with no
# schedule and with 200 entries on every weekday (7 x 200): LoadLibrary of chronel.dll (with its
# binding of the host), APCStartUp (reads the settings), and APCSetup until the sheet is up,
# then Cancel. Prints one table of min / median / max. Usage: bench/run-startup-bench.sh [RUNS]
set -euo pipefail
runs=${1:-10}
source "$(dirname "$0")/host-bench.sh"

results="$BENCH_DIR/results.txt"
: >"$results"
for per_day in 0 200; do
  scenario="$BENCH_DIR/startup-$per_day.txt"
  {
    echo "clear-settings"
    echo "setting AutoStart dword 1"
    echo "measure"
    week_entries "$per_day"
    echo "start 2026-12-07 09:00:00"
    echo "at 09:00:01 setup-cancel"
    echo "end 2026-12-07 09:00:05"
  } >"$scenario"
  for ((run = 0; run < runs; run++)); do
    host_run "$scenario" "$BENCH_DIR/startup.log"
    sed -n "s/.*bench: \(LoadLibrary\|APCStartUp\) \([0-9]*\) us/$per_day \1 \2/p;
            s/.*bench: registry read \([0-9.]*\) us/$per_day registry \1/p;
            s/.*bench: editor open \([0-9]*\) us, cancel to destroy \([0-9-]*\) us, cancel to return \([0-9]*\) us/$per_day open \1\n$per_day destroy \2\n$per_day return \3/p" \
      "$BENCH_DIR/startup.log" >>"$results"
  done
done

echo "Machine: $(machine_line)"
python3 - "$results" "$runs" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    per_day, what, us = line.split()
    rows.setdefault((what, int(per_day)), []).append(float(us) / 1000)
names = [("LoadLibrary", "LoadLibrary chronel.dll (load, bind the host)"),
         ("APCStartUp", "APCStartUp (read settings, arm, set the timer)"),
         ("open", "APCSetup until the sheet is up"),
         ("destroy", "Cancel until the sheet is being destroyed"),
         ("return", "Cancel until APCSetup returns")]
print(f"Start-up and editor through the simulated host, {sys.argv[2]} runs each (milliseconds: min / median / max)")
print()
print("| step | no schedule | 7 x 200 entries |")
print("|---|---:|---:|")
for key, label in names:
    cells = []
    for per_day in (0, 200):
        v = rows.get((key, per_day), [])
        cells.append(f"{min(v):.1f} / {statistics.median(v):.1f} / {max(v):.1f}" if v else "-")
    print(f"| {label} | {cells[0]} | {cells[1]} |")
if not rows:
    sys.exit("no measurements")
reads = rows.get(("registry", 0), []) + rows.get(("registry", 200), [])
if reads:
    print()
    print(f"One registry read (a wineserver round trip) during these runs: median {statistics.median(reads) * 1000:.1f} us "
          f"(min {min(reads) * 1000:.1f}, max {max(reads) * 1000:.1f})")
PY
