#!/usr/bin/env bash
# Runs the real show under its own Xvfb and ends it one way: the X server stops (one line, exit 1), SIGINT or SIGTERM (orderly, exit 0), or the show plays its last seconds to 5:04.0 and ends by itself (exit 0).
# Usage: show_endings.sh SHOW display-lost|sigint|sigterm|to-the-end; run from the folder that holds data/.
set -u
show=$1
how=$2
title="Quenmar Vell - Orvanth Selune"
work=$(mktemp -d)
xvfb_pid=0
pid=0
. "$(dirname "$0")/../support/own_xvfb.sh"
trap own_xvfb_cleanup EXIT
fail() { echo "FAIL ($how): $*"; echo "--- stderr:"; cat "$work/err" 2>/dev/null; exit 1; }

# An empty sound configuration knows no card: every machine is one without a sound card, where
# the library would explain itself at length and our one line must be all there is.
: >"$work/no-card.conf"
export SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH="$work/no-card.conf"
audio_line="tolvane: no audio device (.*): the music plays silently"

# A server of our own, so the test can stop it.
start_own_xvfb "$work" || fail "Xvfb did not start"

# The show's own end: three seconds before it, a short way through the real window.
args=()
[ "$how" = to-the-end ] && args=(--from 5:01)

# Job control keeps SIGINT's default disposition: a plain background job would ignore it.
set -m
"$show" "${args[@]}" >/dev/null 2>"$work/err" &
pid=$!
set +m
if [ "$how" != to-the-end ]; then
  timeout 60 xdotool search --sync --onlyvisible --name "$title" >/dev/null || fail "no window appeared"
  sleep 3  # usually into the show by now; an ending during loading must work all the same
fi

start=$(date +%s%N)
limit=20
case $how in
  display-lost) kill "$xvfb_pid"; expected_rc=1 ;;
  sigint) kill -INT "$pid"; expected_rc=0 ;;
  sigterm) kill -TERM "$pid"; expected_rc=0 ;;
  to-the-end) limit=100; expected_rc=0 ;;  # loading, slow on a busy machine, comes first
  *) fail "unknown ending '$how'" ;;
esac
# A hang check, not a timing: loading that was still going on finishes first.
for _ in $(seq $((limit * 20))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "still running $limit s after the ending"
wait "$pid"
rc=$?
pid=0
echo "ended $(( ($(date +%s%N) - start) / 1000000 )) ms after the ending, exit code $rc"  # to-the-end: after the start

[ "$rc" -eq "$expected_rc" ] || fail "exit code $rc, expected $expected_rc"
grep -q "^$audio_line\$" "$work/err" || fail "no line saying the music plays silently"
others=$(grep -v "^$audio_line\$" "$work/err")
if [ "$how" = display-lost ]; then
  [ "$(printf '%s' "$others" | grep -c '')" -eq 1 ] || fail "expected exactly one more line"
  [[ $others == "tolvane: lost the connection to display $DISPLAY; ending" ]] || fail "unexpected line: $others"
else
  [ -z "$others" ] || fail "unexpected lines on stderr"
fi
echo "ok: $how"
