#!/usr/bin/env bash
# Starts the real program under Wine on the current X display and waits for its
# main window to carry the expected caption. Needs DISPLAY (xvfb-run gives one).
set -u
program="$1"
expected="$2"
here="$(cd "$(dirname "$0")/../.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under xvfb-run" >&2
  exit 1
fi
"$here/tools/wine-run.sh" "$program" &
pid=$!
stop_program() {
  "$here/tools/wine-run.sh" taskkill /f /im "$(basename "$program")" >/dev/null 2>&1
  wait $pid 2>/dev/null
}
for _ in $(seq 1 150); do
  for window in $(xdotool search --class "corvane.exe" 2>/dev/null; xdotool search --name "Corvane" 2>/dev/null); do
    name="$(xdotool getwindowname "$window" 2>/dev/null)"
    if [ "$name" = "$expected" ]; then
      echo "found window $window with caption \"$name\""
      # Alt+F4 through the X server's input: the program must close and exit by itself.
      xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null
      for _ in $(seq 1 50); do
        if ! kill -0 $pid 2>/dev/null; then
          wait $pid
          status=$?
          echo "the program closed with exit code $status"
          exit $status
        fi
        sleep 0.2
      done
      echo "the program did not close on Alt+F4" >&2
      stop_program
      exit 1
    fi
  done
  if ! kill -0 $pid 2>/dev/null; then
    wait $pid
    echo "the program exited with code $? before showing its window" >&2
    exit 1
  fi
  sleep 0.2
done
echo "no window with caption \"$expected\"; seen:" >&2
for window in $(xdotool search --name "." 2>/dev/null); do xdotool getwindowname "$window" >&2; done
stop_program
exit 1
