#!/usr/bin/env bash
# Pictures of the rotary knob and the waveform view (whole and zoomed in) at 96 and 144 DPI:
# build/controls-96.png and build/controls-144.png (each DPI has its own prefix).
# Words given are passed to the demo and added to the names: "high-contrast"
# draws as under High Contrast Black, "focus-waveform" focuses the first view
# with a marker chosen (build/controls-96-high-contrast-focus-waveform.png).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
demo="$here/build/windows/tests/controls_demo.exe"
[ -f "$demo" ] || { echo "build the Windows tree first (tools/test.sh)" >&2; exit 1; }
words="$*"
suffix="${words:+-${words// /-}}"
for dpi in 96 144; do
  out="$here/build/controls-$dpi$suffix.png"
  xvfb-run -a -s "-screen 0 1024x480x24" bash -c '
    here=$1 dpi=$2 demo=$3 out=$4 words=$5
    export WINEPREFIX="$here/build/wineprefix-$dpi" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wine64 reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    /usr/lib/wine/wine64 "$demo" $words &
    sleep 5
    import -window root -crop 860x420+0+0 "$out"
    /usr/lib/wine/wineserver -k
  ' _ "$here" "$dpi" "$demo" "$out" "$words" 2>&1 | grep -v "X connection" || true
  echo "saved $out"
done
