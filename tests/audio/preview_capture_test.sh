#!/usr/bin/env bash
# The real program plays through Wine's default audio output, which an ALSA set-up local
# to this test turns into a file: Space must play what corvane-cli render writes (with
# --as-card when "Hear as on the Card" is on). Without any audio device it must run on.
# Usage: preview_capture_test.sh PROGRAM CLI. Needs DISPLAY (xvfb-run gives one).
set -u
program="$1"
cli="$2"
here="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "no X display: run under xvfb-run" >&2; exit 1; }
folder="$(mktemp -d)"
settings='HKCU\Software\Quellbrook\Corvane'
wine_run() { "$here/tools/wine-run.sh" "$@"; }
trap 'wine_run reg delete "$settings" /v HearAsOnCard /f >/dev/null 2>&1; rm -rf "$folder"' EXIT
windows() { local p="${1//\//\\}"; echo "Z:$p"; }

# A card of one instrument: two tones at the working rate, played from 3000
# to 12000 with boost and a decay that fades within the span.
sox -n -r 37908 -c 1 -b 16 "$folder/tone.wav" synth 0.5 sine 330 sine 523 remix 1,2 2>/dev/null ||
  { echo "sox cannot make the tone" >&2; exit 1; }
card="$(windows "$folder/Tone.vxcor")"
wine_run "$cli" new "$card" --name Tone >/dev/null &&
  wine_run "$cli" add "$card" "$(windows "$folder/tone.wav")" >/dev/null &&
  wine_run "$cli" set "$card" 1 --start 3000 --end 12000 --boost 2 --decay 14 >/dev/null &&
  wine_run "$cli" render "$card" 1 "$(windows "$folder/preview.wav")" >/dev/null &&
  wine_run "$cli" render "$card" 1 "$(windows "$folder/card.wav")" --as-card >/dev/null ||
  { echo "corvane-cli cannot make the card" >&2; exit 1; }

stop_program() {
  wine_run taskkill /f /im "$(basename "$program")" >/dev/null 2>&1
  wait
}

# Starts the program on the card with HOME at $1 and its Wine trace in $2,
# presses Space, lets the sound play out and closes it with Alt+F4.
play_once() {
  HOME="$1" WINEDEBUG="+timestamp,+alsa,+key" wine_run "$program" "$card" 2>"$2" &
  local pid=$! window=""
  for _ in $(seq 1 150); do
    window="$(xdotool search --name '^Corvane v1\.0\.0 - Tone$' 2>/dev/null | head -1)"
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || { echo "the program ended before showing its window" >&2; return 1; }
    sleep 0.2
  done
  [ -n "$window" ] || { echo "no window with the card's caption" >&2; stop_program; return 1; }
  # A key that arrives before Wine has made the window active is lost.
  for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.5
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break
  done
  xdotool key space
  sleep 2
  kill -0 $pid 2>/dev/null || { echo "the program ended after Space" >&2; return 1; }
  [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "Corvane v1.0.0 - Tone" ] ||
    { echo "the window is gone after Space" >&2; return 1; }
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null
    for _ in $(seq 1 15); do
      kill -0 $pid 2>/dev/null || { wait $pid; return $?; }
      sleep 0.2
    done
  done
  echo "the program did not close on Alt+F4" >&2
  stop_program
  return 1
}

asoundrc() {  # home folder, capture file
  mkdir -p "$1"
  printf 'pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "raw"\n}\n' "$2" >"$1/.asoundrc"
}

status=0
echo "== without an audio device"
mkdir -p "$folder/quiet"
play_once "$folder/quiet" "$folder/quiet.trace" || status=1
if grep -q "ReleaseBuffer" "$folder/quiet.trace"; then echo "sound was handed over without a device" >&2; status=1; fi

echo "== the preview"
asoundrc "$folder/home" "$folder/preview.raw"
wine_run reg delete "$settings" /v HearAsOnCard /f >/dev/null 2>&1
play_once "$folder/home" "$folder/preview.trace" || status=1
check() { python3 "$here/tests/audio/check_capture.py" "$folder/$1.raw" "$folder/$1.wav" "$folder/$1.trace"; }
check preview || status=1

echo "== heard as on the card"
asoundrc "$folder/card-home" "$folder/card.raw"
wine_run reg add "$settings" /v HearAsOnCard /t REG_DWORD /d 1 /f >/dev/null
play_once "$folder/card-home" "$folder/card.trace" || status=1
check card || status=1
exit $status
