#!/bin/bash
# Long run through the simulated host: a simulated week (or DAYS days) with a scheduled receive
# every minute of every day (7 x 1440 entries), a reserved message stored in the outbox every 10
# minutes (released and sent a few minutes later), a send window every 3 hours that is reserved
# through the reservation dialog and posted, another one opened and closed, and the settings
# editor opened and cancelled every 4 hours. (No scheduled connect: a connect that succeeds holds
# back the schedule's runs until the daily disconnect, which would leave hours without receives.)
# The host logs the
# process's kernel handles, GDI and USER objects and private bytes at the start, after the first
# of everything, at the end of each day and at the end. Prints a table and the growth from the
# baseline; exits 1 when handles or objects grew. Usage: scripts/long-run.sh [DAYS]
set -euo pipefail
days=${1:-7}
source "$(dirname "$0")/../bench/host-bench.sh"

scenario="$BENCH_DIR/long-run.txt"
log="$BENCH_DIR/long-run.log"
{
  echo "clear-settings"
  echo "setting AutoStart dword 1"
  echo "setting UseReserve dword 1"
  echo "setting ReserveMark dword 3"
  echo "receive-seconds 0"
  week_entries 1440
  TZ=JST-9 python3 - "$days" <<'PY'
import sys, time
from datetime import datetime, timedelta
days = int(sys.argv[1])
start = datetime(2026, 12, 7)  # a Monday
def at(moment, action):
    print(f"at {moment:%Y-%m-%d %H:%M:%S} {action}")
def epoch(moment):  # the reservation as the plug-in stores it (local time, TZ of the run)
    return int(time.mktime(moment.timetuple()))
print(f"start {start:%Y-%m-%d %H:%M:%S}")
at(start + timedelta(seconds=30), "stats start")
for n in range(days * 24 * 6):
    moment = start + timedelta(minutes=10 * n + 5)
    at(moment, f"outbox-store Account{1 + n % 2} {epoch(moment + timedelta(minutes=3))}")
for n in range(days * 8):
    hour = start + timedelta(hours=3 * n)
    send = hour + timedelta(minutes=20)
    due = send + timedelta(minutes=10)
    at(send, "send-open 1")
    at(send + timedelta(seconds=1), "send-menu 1")
    at(send + timedelta(seconds=2), f"reserve-fill {due.year} {due.month} {due.day} {due.hour} {due.minute}")
    at(send + timedelta(seconds=3), "click 送信予約 1")
    at(send + timedelta(seconds=4), "send-post 1")
    at(hour + timedelta(minutes=40), "send-open 2")
    at(hour + timedelta(minutes=40, seconds=2), "send-close 2")
for n in range(days * 6):
    at(start + timedelta(hours=4 * n, minutes=50), "setup-cancel")
at(start + timedelta(hours=3, minutes=55), "stats baseline")
for day in range(1, days + 1):
    at(start + timedelta(days=day, seconds=-10), f"stats day{day}")
print(f"end {start + timedelta(days=days):%Y-%m-%d %H:%M:%S}")
PY
} >"$scenario"
iconv -f UTF-8 -t CP932 "$scenario" >"$scenario.cp932"
started=$(date +%s)
host_run "$scenario.cp932" "$log"
elapsed=$(($(date +%s) - started))
cp "$log" "${LONG_RUN_LOG:-/dev/null}" 2>/dev/null || true

python3 - "$log" "$days" "$elapsed" <<'PY'
import re, sys
log = open(sys.argv[1], encoding="cp932").read()
days, elapsed = sys.argv[2], int(sys.argv[3])
stats = re.findall(r"^(\S+ \S+) stats: (\S+) handles (\d+) gdi (\d+) user (\d+) private (\d+) KiB", log, re.M)
count = lambda text: log.count(text)
print(f"Long run through the simulated host: {days} simulated day(s) in {elapsed // 60} min {elapsed % 60} s wall")
sent = len(re.findall(r"send: \S+ sent$", log, re.M))
print(f"scheduled receives {count('command: 32786')}, messages sent {sent}, "
      f"reservation dialogs {count('user: fills')}, editor opened and cancelled {count('bench: editor open')}")
opens = [int(v) / 1000 for v in re.findall(r"bench: editor open (\d+) us", log)]
if opens:
    print(f"editor open: first {opens[0]:.0f} ms, last {opens[-1]:.0f} ms, max {max(opens):.0f} ms")
print()
print("| when (simulated) | label | kernel handles | GDI objects | USER objects | private KiB |")
print("|---|---|---:|---:|---:|---:|")
for when, label, *values in stats:
    print(f"| {when} | {label} | " + " | ".join(values) + " |")
base = next((s for s in stats if s[1] == "baseline"), None)
if not base or stats[-1][1] == "baseline":
    sys.exit("no baseline and later figures in the log")
last = stats[-1]
growth = [int(last[i]) - int(base[i]) for i in range(2, 6)]
print()
opened = len(re.findall(r"^(\S+ \S+) bench: editor open", log, re.M))
before = len([w for w in re.findall(r"^(\S+ \S+) bench: editor open", log, re.M) if w <= base[0]])
print(f"growth from baseline to {last[1]}: handles {growth[0]:+d}, GDI {growth[1]:+d}, USER {growth[2]:+d}, "
      f"private {growth[3]:+d} KiB, over {opened - before} editor openings after the baseline")
if "scenario: unknown action" in log:
    sys.exit("the host did not know an action")
sys.exit(1 if any(g > 0 for g in growth[:3]) else 0)
PY
