# Sourced first by every benchmark script: works from the checkout's root, makes the Windows
# build the first time (scripts/setup.sh), builds the targets named, and starts Xvfb and a
# wineserver (scripts/xvfb.sh, which stops them at exit).
#   source "$(dirname "$0")/bench-setup.sh" TARGET...
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/wine-path.sh
[ -d "$CHRONEL_WIN_BUILD" ] || scripts/setup.sh >/dev/null
cmake --build "$CHRONEL_WIN_BUILD" --target "$@" >/dev/null
source scripts/xvfb.sh >/dev/null

# The machine, for the record.
machine_line() {
  local cpu mem
  cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
  mem=$(free -g | awk '/^Mem:/ {print $2 " GiB"}')
  echo "$(date -u '+%Y-%m-%d %H:%M UTC'); nproc $(nproc); memory $mem; CPU $cpu; $(wine --version)"
}

# bench_capture PROGRAM ARGS...: runs bench/PROGRAM.exe under Wine with its output in the file
# $BENCH_OUT, removed at exit; a program that fails has its output shown and stops the script.
bench_capture() {
  local program=$1
  shift
  BENCH_OUT=$(mktemp)
  trap 'rm -f "$BENCH_OUT"; chronel_cleanup' EXIT
  "$CHRONEL_WIN_BUILD"/wine-run.sh "$CHRONEL_WIN_BUILD/bench/$program.exe" "$@" >"$BENCH_OUT" 2>&1 || {
    cat "$BENCH_OUT"
    exit 1
  }
}
