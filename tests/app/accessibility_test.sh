#!/usr/bin/env bash
# A screen reader runs in a process of its own: a probe beside the real
# program reads the knobs and the waveform view through the objects COM
# marshals across, steps the Decay knob and moves the end marker with posted
# keys, and reads them again. Its lines must be these, exactly.
# Usage: accessibility_test.sh PROGRAM CLI PROBE VERSION. Needs DISPLAY (xvfb-run gives one).
set -u
program="$1"
cli="$2"
probe="$3"
version="$4"
here="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "no X display: run under xvfb-run" >&2; exit 1; }
folder="$(mktemp -d)"
wine_run() { "$here/tools/wine-run.sh" "$@"; }
trap 'rm -rf "$folder"' EXIT
windows() { local p="${1//\//\\}"; echo "Z:$p"; }

# One instrument of 37908 samples (1 s), played from 200 to 30000, decay 14, boost 3 dB.
sox -n -r 37908 -c 1 -b 16 "$folder/tone.wav" synth 1 sine 330 2>/dev/null || { echo "sox cannot make the tone" >&2; exit 1; }
card="$(windows "$folder/Tone.vxcor")"
wine_run "$cli" new "$card" --name Tone >/dev/null &&
  wine_run "$cli" add "$card" "$(windows "$folder/tone.wav")" >/dev/null &&
  wine_run "$cli" set "$card" 1 --start 200 --end 30000 --boost 3 --decay 14 >/dev/null ||
  { echo "corvane-cli cannot make the card" >&2; exit 1; }

wine_run "$program" "$card" &
program_pid=$!
wine_run "$probe" "Corvane v$version - Tone" | tr -d "\r" >"$folder/probe.txt"
probed=${PIPESTATUS[0]}
wine_run taskkill /f /im "$(basename "$program")" >/dev/null 2>&1
wait $program_pid 2>/dev/null
sed 's/^/  /' "$folder/probe.txt"

cat >"$folder/expected.txt" <<'LINES'
knob: Decay, slider, 14
knob: Boost, slider, 3dB
view: Waveform, grouping, -
marker: Start marker, slider, 200 samples, 5.3 ms
marker: End marker, slider, 30000 samples, 791.4 ms
after Up: Decay, slider, 15
after E, Left: End marker, slider, 29999 samples, 791.4 ms
LINES
if [ "$probed" -ne 0 ] || ! diff -u "$folder/expected.txt" "$folder/probe.txt"; then
  echo "the probe did not read what a screen reader must hear" >&2
  exit 1
fi
