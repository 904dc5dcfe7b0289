#!/bin/bash
# What a line of chronel's log costs the thread that logs it: written at once, queued for the
# writer thread, and queued while the writer is stuck behind another holder of the log. Usage:
#   flock /tmp/chronel-wine.lock bench/run-log-bench.sh [LINES]
set -euo pipefail
lines=${1:-2000}
source "$(dirname "$0")/bench-setup.sh" log_queue_bench
bench_capture log_queue_bench "$lines"

echo "Machine: $(machine_line)"
python3 - "$BENCH_OUT" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="cp932", errors="replace").read()
print("Cost of one log line to the thread that logs it (microseconds)")
print()
print("| case | lines | mean | 99th percentile | worst |")
print("|---|---:|---:|---:|---:|")
pat = re.compile(r"bench: (.+?) count (\d+) mean ([\d.]+) p99 ([\d.]+) worst ([\d.]+) us")
found = False
for m in pat.finditer(text):
    found = True
    print(f"| {m.group(1)} | {m.group(2)} | {float(m.group(3)):.2f} | {float(m.group(4)):.2f} | {float(m.group(5)):.2f} |")
m = re.search(r"bench: writer ended (\d); log (\d+) bytes, older generation (\d+) bytes", text)
if m:
    print()
    print(f"Afterwards: writer ended {'yes' if m.group(1) == '1' else 'no'}; log {m.group(2)} bytes, "
          f"older generation {m.group(3)} bytes")
if not found:
    sys.exit("no measurements:\n" + text)
PY
