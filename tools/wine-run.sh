#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's own prefix.
# WINEPREFIX may be set by the caller; otherwise the prefix lives in build/.
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: the program needs neither, and asking for them would hang a headless run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Now and then (seen twice in some thirty test runs, right after another
# program had ended) wine64 ends within milliseconds, printing nothing,
# before the program has run at all: such a start is tried once more.
started=$(date +%s%N)
/usr/lib/wine/wine64 "$@"
status=$?
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
if [ "$status" -ne 0 ] && [ "$elapsed_ms" -lt 300 ]; then
  echo "wine-run: wine ended with status $status after $elapsed_ms ms; starting $1 again" >&2
  /usr/lib/wine/wine64 "$@"
  status=$?
fi
exit "$status"
