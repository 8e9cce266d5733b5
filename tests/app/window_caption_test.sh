#!/usr/bin/env bash
# Starts the real program under Wine on the current X display (xvfb-run gives
# one), waits for its main window to carry the expected caption, and closes it.
# Usage: window_caption_test.sh PROGRAM CAPTION. With a card-file on its command
# line the program is started by audio/preview_capture_test.sh.
set -u
program="$1"
expected="$2"
run="$(cd "$(dirname "$0")/../.." && pwd)/tools/wine-run.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under xvfb-run" >&2
  exit 1
fi
"$run" "$program" &
pid=$!
fail() {
  echo "$1" >&2
  "$run" taskkill /f /im "$(basename "$program")" >/dev/null 2>&1
  wait $pid 2>/dev/null
  exit 1
}
for _ in $(seq 1 150); do
  for window in $(xdotool search --name "Corvane" 2>/dev/null); do
    [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$expected" ] || continue
    echo "found window $window with caption \"$expected\""
    # Alt+F4 through the X server's input: the program must close and exit by
    # itself. A key that arrives before Wine has made the window active is
    # lost, so it is pressed again a few times.
    for _ in 1 2 3; do
      xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null
      for _ in $(seq 1 15); do
        if ! kill -0 $pid 2>/dev/null; then
          wait $pid
          status=$?
          echo "the program closed with exit code $status"
          exit $status
        fi
        sleep 0.2
      done
    done
    fail "the program did not close on Alt+F4"
  done
  kill -0 $pid 2>/dev/null || fail "the program exited before showing its window"
  sleep 0.2
done
for window in $(xdotool search --name "." 2>/dev/null); do xdotool getwindowname "$window" >&2; done
fail "no window with caption \"$expected\"; seen above"
