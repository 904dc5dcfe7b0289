# Sourced by the benchmark and long-run scripts that go through the simulated host: builds it
# with both DLLs (bench-setup.sh), and runs it in a fresh directory of its own.
source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh" Quillpost chronel chronset
BENCH_DIR=$(mktemp -d)
trap 'rm -rf "$BENCH_DIR"; chronel_cleanup' EXIT

# The Windows form of a Unix path (Wine's Z: drive).
bench_winpath() {
  local path="Z:$1"
  echo "${path//\//\\}"
}

# host_run SCENARIO LOG: the host with chronel.dll and chronset.dll as built, on a new mailbox.
host_run() {
  local dir="$BENCH_DIR/host"
  rm -rf "$dir"
  mkdir -p "$dir/Plugins"
  cp "$CHRONEL_WIN_BUILD"/host/Quillpost.exe "$dir/"
  cp "$CHRONEL_WIN_BUILD"/host/Plugins/chronel.dll "$CHRONEL_WIN_BUILD"/host/Plugins/chronset.dll "$dir/Plugins/"
  "$CHRONEL_WIN_BUILD"/wine-run.sh "$dir/Quillpost.exe" --scenario "$(bench_winpath "$1")" --log "$(bench_winpath "$2")" \
    </dev/null >/dev/null 2>&1
}

# week_entries N: N entries on each weekday, spread evenly from 00:00 (1440: one every minute).
week_entries() {
  local n=$1 day i minute
  for day in Sunday Monday Tuesday Wednesday Thursday Friday Saturday; do
    for ((i = 0; i < n; i++)); do
      minute=$((i * 1440 / n))
      printf 'entry %s %02d:%02d\n' "$day" $((minute / 60)) $((minute % 60))
    done
  done
}
