# own_xvfb.sh -- sourced by the window tests: an X server of the test's own on a free display.
# Xvfb picks the display itself (-displayfd), so tests running side by side never race for a
# number the way probing for a free one does. Sets DISPLAY and xvfb_pid; the caller stops it.
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
