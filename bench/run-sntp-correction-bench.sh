#!/bin/bash
# Where one clock adjustment leaves the clock: an exchange against a loopback server on
# 127.0.0.1:123 whose path delays the request and the reply, with the exchange's clock off by a
# set amount: where the clock ends against the true time, and the exchange's results (the numbers
# of common/pure/SntpOutcome.h). The clock itself is never changed. Binds the fixed ports 123 and 1024:
# run it under the Wine lock. Usage:
#   flock -o /tmp/chronel-wine.lock bench/run-sntp-correction-bench.sh [RUNS]
set -euo pipefail
runs=${1:-7}
source "$(dirname "$0")/bench-setup.sh" sntp_correction_bench
bench_capture sntp_correction_bench "$runs"

echo "Machine: $(machine_line)"
python3 - "$BENCH_OUT" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
print("Where the clock ends after one adjustment (ms, + ahead of the true time, - behind); median and worst of the runs")
print()
print("| request / reply delay | exchange's clock off by | runs | end error: median | worst | results |")
print("|---|---:|---:|---:|---:|---|")
pat = re.compile(r"bench: path (.*?); offset (-?\d+) runs (\d+) median (-?[\d.]+) worst (-?[\d.]+) "
                 r"results (\d+)-(\d+)")
found = False
for m in pat.finditer(text):
    found = True
    path, off, n = m.group(1), int(m.group(2)), m.group(3)
    nm, nw = float(m.group(4)), float(m.group(5))
    results = m.group(6) if m.group(6) == m.group(7) else m.group(6) + " to " + m.group(7)
    print(f"| {path} | {off:+d} ms | {n} | {nm:+.1f} | {nw:+.1f} | {results} |")
if not found:
    sys.exit("no measurements:\n" + text)
PY
