#!/usr/bin/env bash
# Opens the SDL window under Xvfb (windowed with F1 twice, then full screen) and expects Escape to end it with 0.
# Usage: window_under_xvfb.sh TOOL
set -u
tool=$1
work=$(mktemp -d)
log="$work/log"
pid=0
xvfb_pid=0
. "$(dirname "$0")/../support/own_xvfb.sh"
trap own_xvfb_cleanup EXIT
fail() { echo "FAIL: $*"; cat "$log"; exit 1; }
# A key held for a while: the loop reads the held state once per frame.
press() { xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"; sleep 0.5; }
check_size() { xdotool getwindowgeometry "$window" | grep -q "Geometry: 1024x768" || fail "window is not 1024x768 $1"; }

start_own_xvfb "$work" || fail "Xvfb did not start"

start() {
  "$tool" "$@" >"$log" 2>&1 &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "Tolvane window check" | head -1)
  [ -n "$window" ] || fail "no window appeared"
  check_size "at start"
  xdotool windowfocus --sync "$window"
}

escape_ends_with() {
  press Escape
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "Escape did not end the program"
  wait "$pid"
  local rc=$?
  pid=0
  cat "$log"
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  grep -q "$1, exit 0" "$log" || fail "expected '$1, exit 0'"
}

start
press F1
kill -0 "$pid" 2>/dev/null || fail "F1 ended the program"
press F1
xdotool search --onlyvisible --name "Tolvane window check" | grep -qx "$window" || fail "F1 replaced the window"
check_size "after F1 twice"
escape_ends_with "windowed"

start --fullscreen
escape_ends_with "full screen"
echo "ok: 1024x768 window, F1 twice on the same window, full-screen start, Escape exit 0"
