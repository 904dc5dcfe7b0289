#!/bin/bash
# Sourced: starts one Xvfb for this run and a fresh wineserver bound to it; both are stopped on exit.
# Wine keeps its desktop bound to the display its wineserver started on, so the server is
# stopped before and after, never left on a display that went away.
_chronel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CHRONEL_WINEPREFIX="$_chronel_root/build/mingw/wineprefix"
_display=$(( 90 + RANDOM % 400 ))
while [ -e "/tmp/.X${_display}-lock" ]; do _display=$((_display + 1)); done
Xvfb ":${_display}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
_xvfb_pid=$!
export DISPLAY=":${_display}"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${_display}" ] && break; sleep 0.1; done

chronel_wineserver_stop() {
  WINEPREFIX="$CHRONEL_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$CHRONEL_WINEPREFIX" wineserver -w >/dev/null 2>&1 || true
}
chronel_cleanup() {
  chronel_wineserver_stop
  kill "$_xvfb_pid" >/dev/null 2>&1 || true
}
trap chronel_cleanup EXIT
chronel_wineserver_stop

# The prefix: made once, with the dialogs' Japanese font mapped to an installed one.
if [ ! -f "$CHRONEL_WINEPREFIX/.chronel-ready" ]; then
  echo "setup: preparing the Wine prefix"
  "$_chronel_root/build/mingw/wine-run.sh" wineboot -i </dev/null >/dev/null 2>&1 || true
  "$_chronel_root/scripts/wine-fonts.sh"
  touch "$CHRONEL_WINEPREFIX/.chronel-ready"
  chronel_wineserver_stop
fi
# One server for the whole run (until chronel_cleanup stops it), so each test starts quickly, and
# Wine's own background processes started here: started by a test instead, they and the server
# would inherit its output pipe and keep CTest waiting for it to close long after the test ended.
WINEPREFIX="$CHRONEL_WINEPREFIX" wineserver -p </dev/null >/dev/null 2>&1 || true
"$_chronel_root/build/mingw/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
