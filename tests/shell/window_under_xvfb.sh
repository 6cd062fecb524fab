#!/usr/bin/env bash
# Opens the SDL window under Xvfb, switches it to full screen and back with F1, and expects Escape to end it with 0.
# Usage: window_under_xvfb.sh TOOL [--inside]; exit 77 when Xvfb or xdotool is missing.
set -u
tool=$1
if [ "${2:-}" != "--inside" ]; then
  command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "skipped: needs xvfb-run and xdotool"; exit 77; }
  exec timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$tool" --inside
fi

fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null; cat "$log"; exit 1; }
# A key held for a while: the loop reads the held state once per frame.
press() { xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"; sleep 0.5; }

log=$(mktemp)
"$tool" >"$log" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name "Tolvane window check" | head -1)
[ -n "$window" ] || fail "no window appeared"
xdotool getwindowgeometry "$window" | grep -q "Geometry: 1024x768" || fail "window is not 1024x768"
xdotool windowfocus --sync "$window"

press F1
kill -0 "$pid" 2>/dev/null || fail "F1 ended the program"
press F1
xdotool search --onlyvisible --name "Tolvane window check" | grep -qx "$window" || fail "F1 replaced the window"
xdotool getwindowgeometry "$window" | grep -q "Geometry: 1024x768" || fail "window is not 1024x768 after F1 twice"

press Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Escape did not end the program"
wait "$pid"
rc=$?
cat "$log"
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "windowed, exit 0" "$log" || fail "unexpected summary"
echo "ok: 1024x768 window, F1 twice on the same window, Escape exit 0"
