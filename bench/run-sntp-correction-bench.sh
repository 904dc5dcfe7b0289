#!/bin/bash
# Where one clock adjustment leaves the clock: an exchange against a loopback server on
# 127.0.0.1:123 whose path delays the request and the reply, with the exchange's clock off by a
# set amount. Compares the offset of the four timestamps with the old way (the clock set to the
# server's transmit time). The clock itself is never changed. Binds the fixed ports 123 and 1024:
# run it under the Wine lock. Usage:
#   flock -o /tmp/chronel-wine.lock bench/run-sntp-correction-bench.sh [RUNS]
set -euo pipefail
runs=${1:-7}
cd "$(dirname "$0")/.."
source scripts/wine-path.sh
[ -d "$CHRONEL_WIN_BUILD" ] || scripts/setup.sh >/dev/null
cmake --build "$CHRONEL_WIN_BUILD" --target sntp_correction_bench >/dev/null
source scripts/xvfb.sh >/dev/null
out=$(mktemp)
trap 'rm -f "$out"; chronel_cleanup' EXIT
"$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD"/bench/sntp_correction_bench.exe "$runs" >"$out" 2>&1 || { cat "$out"; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
echo "Machine: $(date -u '+%Y-%m-%d %H:%M UTC'); nproc $(nproc); CPU $cpu; $(wine --version)"
python3 - "$out" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
print("Where the clock ends after one adjustment (ms, + ahead of the true time, - behind); median and worst of the runs")
print()
print("| request / reply delay | exchange's clock off by | runs | old way: median | old way: worst | offset method: median | offset method: worst |")
print("|---|---:|---:|---:|---:|---:|---:|")
pat = re.compile(r"bench: in (\d+) out (\d+) offset (-?\d+) runs (\d+) old median (-?[\d.]+) worst (-?[\d.]+) "
                 r"new median (-?[\d.]+) worst (-?[\d.]+)")
found = False
for m in pat.finditer(text):
    found = True
    i, o, off, n = m.group(1), m.group(2), int(m.group(3)), m.group(4)
    om, ow, nm, nw = (float(m.group(k)) for k in (5, 6, 7, 8))
    print(f"| {i} ms / {o} ms | {off:+d} ms | {n} | {om:+.1f} | {ow:+.1f} | {nm:+.1f} | {nw:+.1f} |")
if not found:
    sys.exit("no measurements:\n" + text)
PY
