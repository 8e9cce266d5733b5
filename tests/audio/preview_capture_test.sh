#!/usr/bin/env bash
# The real program plays through Wine's default audio output, which an ALSA set-up local
# to this test turns into a file: Space must play what corvane-cli render writes (with
# --as-card when "Hear as on the Card" is on), and the Play button must come back by itself.
# Without any audio device the status line must say so. A probe beside the program presses
# Space or clicks Play with posted messages and follows the button.
# Usage: preview_capture_test.sh PROGRAM CLI PROBE VERSION. Needs DISPLAY (xvfb-run gives one).
set -u
program="$1"
cli="$2"
probe="$3"
version="$4"
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

# Starts the program on the card with HOME at $1 and its Wine trace in $2; the probe
# presses Space or clicks Play ($3), follows the Play button and closes the window.
# What the probe saw is left in $2.probe.
play_once() {
  HOME="$1" WINEDEBUG="+timestamp,+alsa" wine_run "$program" "$card" 2>"$2" &
  local pid=$!
  wine_run "$probe" "Corvane v$version - Tone" "$3" | tr -d "\r" >"$2.probe"
  local probed=${PIPESTATUS[0]}
  sed 's/^/  /' "$2.probe"
  for _ in $(seq 1 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 $pid 2>/dev/null; then
    echo "the program did not close" >&2
    stop_program
    return 1
  fi
  wait $pid || { echo "the program failed" >&2; return 1; }
  [ $probed -eq 0 ] || { echo "the probe failed" >&2; return 1; }
}

# The preview played and the button came back by itself, leaving the status line as it was.
played() {
  grep -qx "Play button: Stop, then Play again" "$1.probe" && grep -qx "status: as before" "$1.probe" ||
    { echo "the preview did not play and end by itself" >&2; return 1; }
}

asoundrc() {  # home folder, capture file
  mkdir -p "$1"
  printf 'pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "raw"\n}\n' "$2" >"$1/.asoundrc"
}

status=0
echo "== without an audio device"
mkdir -p "$folder/quiet"
play_once "$folder/quiet" "$folder/quiet.trace" click || status=1
if grep -q "ReleaseBuffer" "$folder/quiet.trace"; then echo "sound was handed over without a device" >&2; status=1; fi
grep -qx "Play button: never Stop" "$folder/quiet.trace.probe" &&
  grep -qx "status: No audio output to play through" "$folder/quiet.trace.probe" ||
  { echo "Play without a device did not say so" >&2; status=1; }

check() {
  python3 "$here/tests/audio/check_capture.py" "$folder/$1.raw" "$folder/$1.wav" "$folder/$1.trace" \
    "$(sed -n 's/^pressed at //p' "$folder/$1.trace.probe")"
}

echo "== the preview, by Space"
asoundrc "$folder/home" "$folder/preview.raw"
wine_run reg delete "$settings" /v HearAsOnCard /f >/dev/null 2>&1
play_once "$folder/home" "$folder/preview.trace" space && played "$folder/preview.trace" || status=1
check preview || status=1

echo "== heard as on the card, by the Play button"
asoundrc "$folder/card-home" "$folder/card.raw"
wine_run reg add "$settings" /v HearAsOnCard /t REG_DWORD /d 1 /f >/dev/null
play_once "$folder/card-home" "$folder/card.trace" click && played "$folder/card.trace" || status=1
check card || status=1
exit $status
