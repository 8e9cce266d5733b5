#!/usr/bin/env bash
# Pictures of the main window with a card of several instruments, opened
# through the command line: build/window-96.png, build/window-144.png (each
# DPI in its own Wine prefix), build/window-96-decay.png (the pointer resting
# on the Decay knob) and build/about-96.png. Needs build/native/corvane-cli
# and build/windows/corvane.exe (tools/test.sh builds both).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="$here/build/windows/corvane.exe"
cli="$here/build/native/corvane-cli"
[ -f "$program" ] && [ -x "$cli" ] || { echo "build the native and Windows trees first (tools/test.sh)" >&2; exit 1; }

work="$here/build/screenshots"
rm -rf "$work"
mkdir -p "$work"
# Four short sounds that fit the card together: a kick, a snare, a plucked tone and a cymbal.
sox -n -r 44100 -b 16 "$work/Kick.wav" synth 0.35 sine 160-45 fade q 0.002 0.35 0.3
sox -n -r 44100 -b 16 "$work/Snare.wav" synth 0.2 noise synth 0.2 sine mix 190 fade q 0.001 0.2 0.18 gain -3
sox -n -r 48000 -b 24 "$work/Pluck.wav" synth 0.5 pluck A3 fade q 0.001 0.5 0.45
sox -n -r 22050 -b 16 "$work/Crash.aiff" synth 0.35 noise highpass 3000 gain -2 fade q 0.002 0.35 0.3
card="$work/Demo Kit.vxcor"
"$cli" new "$card" --name "Demo Kit" >/dev/null
"$cli" add "$card" "$work/Kick.wav" "$work/Snare.wav" "$work/Pluck.wav" "$work/Crash.aiff" >/dev/null
"$cli" set "$card" 1 --start 600 --decay 9 --boost 3 >/dev/null
"$cli" set "$card" 3 --downsample on >/dev/null
windows_card="Z:${card//\//\\}"

for dpi in 96 144; do
  xvfb-run -a -s "-screen 0 1400x900x24" bash -c '
    here=$1 dpi=$2 program=$3 card=$4 work=$5
    export WINEPREFIX="$here/build/wineprefix-$dpi" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wine64 reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    /usr/lib/wine/wine64 "$program" "$card" &
    window=""
    for _ in $(seq 1 100); do
      window=$(xdotool search --name "^Corvane v" 2>/dev/null | head -1) && [ -n "$window" ] && break
      sleep 0.2
    done
    sleep 2
    echo "window at $dpi DPI: $(xdotool getwindowname "$window")"
    import -window "$window" "$here/build/window-$dpi.png"
    if [ "$dpi" = 96 ]; then
      # The pointer resting on the Decay knob shows the decay envelope.
      eval "$(xdotool getwindowgeometry --shell "$window")"
      xdotool mousemove $((X + 675)) $((Y + 19 + 225)); sleep 1
      import -window "$window" "$here/build/window-96-decay.png"
      xdotool mousemove $((X + 5)) $((Y + 5))
      xdotool windowfocus --sync "$window" key alt+h a 2>/dev/null || true
      sleep 1.5
      about=$(xdotool search --name "About Corvane" 2>/dev/null | head -1)
      if [ -n "$about" ]; then import -window "$about" "$here/build/about-96.png"; else echo "no About box" >&2; fi
    fi
    /usr/lib/wine/wineserver -k
  ' _ "$here" "$dpi" "$program" "$windows_card" "$work" 2>&1 | grep -v "X connection" || true
done
ls -1 "$here"/build/window-*.png "$here"/build/about-96.png 2>/dev/null
