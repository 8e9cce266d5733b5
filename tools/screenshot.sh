#!/usr/bin/env bash
# Starts the built program on a private Xvfb display, waits, and saves a
# screenshot of the whole screen. Usage: tools/screenshot.sh OUT.png [seconds] [WxHxD]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:?usage: tools/screenshot.sh OUT.png [seconds] [WxHxD]}")"
wait_seconds="${2:-4}"
screen="${3:-1024x768x24}"
program="$here/build/windows/corvane.exe"
[ -f "$program" ] || { echo "build the Windows tree first (tools/run.sh)" >&2; exit 1; }
xvfb-run -a -s "-screen 0 $screen" "$here/tools/with-wine.sh" bash -c '
  "$0/tools/wine-run.sh" "$1" & pid=$!
  sleep "$2"
  for w in $(xdotool search --name "Corvane" 2>/dev/null); do echo "window: $(xdotool getwindowname "$w")"; done
  import -window root "$3"
  "$0/tools/wine-run.sh" taskkill /f /im corvane.exe >/dev/null 2>&1 || true
  wait $pid 2>/dev/null || true
' "$here" "$program" "$wait_seconds" "$out" 2>&1 | grep -v "X connection" || true
echo "saved $out"
