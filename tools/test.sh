#!/usr/bin/env bash
# Builds and runs every test: the native build, the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the Windows build under
# Wine on an Xvfb display. Exits non-zero when a test fails or none ran.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash tools/setup.sh || exit 1
mkdir -p build

total=0
failed=0
broken=()

build_tree() {  # name, extra cmake arguments...
  local name="$1"; shift
  if cmake -S . -B "build/$name" -G Ninja -DBUILD_TESTING=ON "$@" >"build/$name.log" 2>&1 &&
     cmake --build "build/$name" -j "$(nproc)" >>"build/$name.log" 2>&1; then
    return 0
  fi
  cat "build/$name.log"
  broken+=("$name (build)")
  return 1
}

# Runs one tree's tests through CTest (prefixed by a launcher, if given) and
# adds its counts to the totals.
run_tree() {  # name, launcher...
  local name="$1"; shift
  local log="build/$name.ctest.log"
  "$@" ctest --test-dir "build/$name" --output-on-failure --no-tests=error 2>&1 | grep -v "^X connection to" | tee "$log"
  local status=${PIPESTATUS[0]}
  local line
  line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -1)
  if [ -z "$line" ]; then
    broken+=("$name (no tests ran)")
    return
  fi
  local tree_failed tree_total
  tree_failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  tree_total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  total=$((total + tree_total))
  failed=$((failed + tree_failed))
  if [ "$status" -ne 0 ] && [ "$tree_failed" -eq 0 ]; then broken+=("$name (ctest exit $status)"); fi
}

if build_tree native; then run_tree native; fi

if build_tree sanitize -DCORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tree sanitize
fi

if build_tree windows --toolchain cmake/mingw-w64.cmake; then
  # Wine's display driver is chosen when its server starts, so the server, the
  # prefix set-up and every Windows test share one Xvfb display.
  run_tree windows xvfb-run -a -s "-screen 0 1024x768x24" tools/with-wine.sh
fi

echo
for problem in "${broken[@]}"; do echo "broken: $problem"; done
# Each CTest entry is one test executable (or one program run under Xvfb).
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ] && [ "$total" -gt 0 ]
