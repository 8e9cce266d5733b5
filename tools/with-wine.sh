#!/usr/bin/env bash
# Runs a command with one Wine server kept alive for all of it, on the
# project's prefix. Start it on the display the Windows programs should use.
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
/usr/lib/wine/wineserver -k >/dev/null 2>&1
# The first start creates the prefix (about ten seconds).
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -p >/dev/null 2>&1
"$@"
status=$?
/usr/lib/wine/wineserver -k >/dev/null 2>&1
exit $status
