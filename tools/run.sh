#!/usr/bin/env bash
# Builds the Windows program and starts it: under Wine on Linux.
# Without a display (DISPLAY unset) it runs on a private Xvfb screen.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash tools/setup.sh
cmake -S . -B build/windows -G Ninja --toolchain cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows --target corvane
if [ -n "${DISPLAY:-}" ]; then
  exec tools/wine-run.sh build/windows/corvane.exe
else
  exec xvfb-run -a -s "-screen 0 1280x800x24" tools/wine-run.sh build/windows/corvane.exe
fi
