# own_xvfb.sh -- sourced by the window tests: an X server of the test's own on a free display.
# Xvfb picks the display itself (-displayfd), so tests running side by side never race for a
# number the way probing for a free one does. Sets DISPLAY and xvfb_pid; the caller stops it,
# for example with own_xvfb_cleanup.
# -noreset: by default the server resets when its last client leaves, and SDL's first
# connection is a probe it closes at once, so the show's real one could meet a resetting
# server and find no display.

start_own_xvfb() {  # $1: a scratch folder
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$1/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || return 1
  export DISPLAY=":$(cat "$1/display")"
}

# For `trap own_xvfb_cleanup EXIT`: kills the program under test ($pid, 0 when none) and the
# server, and removes the scratch folder ($work).
own_xvfb_cleanup() {
  [ "$pid" -ne 0 ] && kill -9 "$pid" 2>/dev/null
  [ "$xvfb_pid" -ne 0 ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
