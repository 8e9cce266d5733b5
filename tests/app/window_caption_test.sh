#!/usr/bin/env bash
# Starts the real program under Wine on the current X display and waits for its
# main window to carry the expected caption. Needs DISPLAY (xvfb-run gives one).
# Usage: window_caption_test.sh PROGRAM CAPTION [CLI NAME]: with the command
# line tool and a card name, an empty card-file of that name is made first and
# given to the program as its first argument.
set -u
program="$1"
expected="$2"
here="$(cd "$(dirname "$0")/../.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under xvfb-run" >&2
  exit 1
fi
arguments=()
if [ $# -ge 4 ]; then
  folder="$(mktemp -d)"
  trap 'rm -rf "$folder"' EXIT
  card="Z:${folder//\//\\}\\$4.vxcor"
  "$here/tools/wine-run.sh" "$3" new "$card" --name "$4" >/dev/null || { echo "cannot make $card" >&2; exit 1; }
  arguments=("$card")
fi
"$here/tools/wine-run.sh" "$program" "${arguments[@]}" &
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
      # Alt+F4 through the X server's input: the program must close and exit
      # by itself. A key that arrives before Wine has made the window active
      # is lost, so it is pressed again a few times.
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
