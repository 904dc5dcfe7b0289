#!/bin/bash
# Sourced: starts an Xvfb for each of the Windows build's Wine prefixes and a fresh wineserver
# bound to it; all are stopped on exit. The build is the one scripts/wine-path.sh names.
# Wine keeps its desktop bound to the display its wineserver started on, so each server is
# stopped before and after, never left on a display that went away. Each prefix has a display of
# its own, so that windows, activation and keyboard focus in one never touch a test in the other.
_chronel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$_chronel_root/scripts/wine-path.sh"
_chronel_slots="0 1"
_xvfb_pids=()

# Runs a command in one prefix: the slot is named as CTest names it, so wine-run.sh picks that
# prefix and its display.
chronel_in_slot() {
  local slot=$1
  shift
  CTEST_RESOURCE_GROUP_0_WINEPREFIX="id:$slot,slots:1" "$@"
}
chronel_wineserver_stop() {
  local slot
  for slot in $_chronel_slots; do
    WINEPREFIX="$CHRONEL_WIN_BUILD/wineprefix-$slot" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$CHRONEL_WIN_BUILD/wineprefix-$slot" wineserver -w >/dev/null 2>&1 || true
  done
}
chronel_cleanup() {
  chronel_wineserver_stop
  local pid
  for pid in "${_xvfb_pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
}
trap chronel_cleanup EXIT

if [ ! -x "$CHRONEL_WIN_BUILD/wine-run.sh" ]; then
  echo "xvfb.sh: $CHRONEL_WIN_BUILD is not configured; run scripts/setup.sh" >&2
  return 1 2>/dev/null || exit 1
fi
_display=$(( 90 + RANDOM % 400 ))
for _slot in $_chronel_slots; do
  while [ -e "/tmp/.X${_display}-lock" ]; do _display=$((_display + 1)); done
  Xvfb ":${_display}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  _xvfb_pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${_display}" ] && break; sleep 0.1; done
  if [ ! -e "/tmp/.X11-unix/X${_display}" ]; then
    echo "xvfb.sh: Xvfb did not start on :${_display}" >&2
    return 1 2>/dev/null || exit 1
  fi
  export "CHRONEL_DISPLAY_${_slot}=:${_display}"
  _display=$((_display + 1))
done
export DISPLAY="$CHRONEL_DISPLAY_0"
chronel_wineserver_stop

for _slot in $_chronel_slots; do
  _prefix="$CHRONEL_WIN_BUILD/wineprefix-$_slot"
  # The prefix: made once, with its settings (scripts/wine-settings.sh); a prefix made before a
  # setting was added gets it. A prefix Wine could not make is said with Wine's own words.
  if [ ! -f "$_prefix/.chronel-ready" ] || ! grep -qs '^"Managed"="N"' "$_prefix/user.reg"; then
    echo "setup: preparing the Wine prefix $_prefix"
    # Wine's output goes to a file, not a pipe: the processes wineboot leaves running would hold
    # a pipe open, and reading it would never end.
    # The server writes the registry to the prefix when it ends: the registry files after that
    # tell whether Wine made the prefix (its exit status does not: 64-bit wineboot fails even
    # when it did).
    chronel_in_slot "$_slot" timeout 600 "$CHRONEL_WIN_BUILD/wine-run.sh" wineboot -i </dev/null \
      >"$CHRONEL_WIN_BUILD/wineboot-$_slot.log" 2>&1 || true
    chronel_in_slot "$_slot" "$_chronel_root/scripts/wine-settings.sh" >>"$CHRONEL_WIN_BUILD/wineboot-$_slot.log" 2>&1 || true
    WINEPREFIX="$_prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$_prefix" wineserver -w >/dev/null 2>&1 || true
    if ! grep -qs "IPAPGothic" "$_prefix/user.reg" || ! grep -qs '^"Managed"="N"' "$_prefix/user.reg" ||
       [ ! -f "$_prefix/system.reg" ]; then
      echo "xvfb.sh: Wine could not make the prefix $_prefix:" >&2
      tail -n 20 "$CHRONEL_WIN_BUILD/wineboot-$_slot.log" >&2
      return 1 2>/dev/null || exit 1
    fi
    touch "$_prefix/.chronel-ready"
  fi
  # One server per prefix for the whole run (until chronel_cleanup stops it), so each test starts
  # quickly, and Wine's own background processes started here: started by a test instead, they
  # and the server would inherit its output pipe and keep CTest waiting for it to close long
  # after the test ended.
  # 2: a server of this prefix runs already (one this script started, on this slot's display).
  _started=0
  WINEPREFIX="$_prefix" wineserver -p </dev/null >"$CHRONEL_WIN_BUILD/wineserver-$_slot.log" 2>&1 || _started=$?
  if [ "$_started" != 0 ] && [ "$_started" != 2 ]; then
    echo "xvfb.sh: the wineserver of $_prefix did not start:" >&2
    cat "$CHRONEL_WIN_BUILD/wineserver-$_slot.log" >&2
    return 1 2>/dev/null || exit 1
  fi
  if ! chronel_in_slot "$_slot" timeout 300 "$CHRONEL_WIN_BUILD/wine-run.sh" wineboot </dev/null \
       >"$CHRONEL_WIN_BUILD/wineboot-$_slot.log" 2>&1; then
    echo "xvfb.sh: Wine did not start in $_prefix:" >&2
    tail -n 20 "$CHRONEL_WIN_BUILD/wineboot-$_slot.log" >&2
    return 1 2>/dev/null || exit 1
  fi
done
unset _slot _prefix _started _display
