#!/usr/bin/env bash
# Builds and runs every test: the native build, the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build under
# Wine on an Xvfb display, and the fuzz targets' regression pass and short
# runs. Exits non-zero when a test fails or none ran.
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
# adds its test cases to the totals. The full log is shown when a test fails.
run_tree() {  # name, launcher...
  local name="$1"; shift
  local log="build/$name.ctest.log"
  "$@" ctest --test-dir "build/$name" -V --no-tests=error 2>&1 | grep -v "^X connection to" >"$log"
  local status=${PIPESTATUS[0]}
  grep -E "^ *[0-9]+/[0-9]+ Test +#|tests passed, " "$log"
  if ! grep -qE "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log"; then
    cat "$log"
    broken+=("$name (no tests ran)")
    return
  fi
  local counts
  counts=$(python3 tools/count_test_cases.py "$log")
  sed '$d' <<<"$counts"
  local tree_passed tree_failed
  read -r tree_passed tree_failed <<<"$(tail -1 <<<"$counts")"
  total=$((total + tree_passed + tree_failed))
  failed=$((failed + tree_failed))
  if [ "$tree_failed" -ne 0 ] || [ "$status" -ne 0 ]; then cat "$log"; fi
  if [ "$status" -ne 0 ] && [ "$tree_failed" -eq 0 ]; then broken+=("$name (ctest exit $status)"); fi
}

if build_tree native; then run_tree native; fi

if build_tree sanitize -DCORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tree sanitize
fi

# The fuzz targets (clang, libFuzzer): every kept input, then a short run of
# each. They run beside the Windows tests, which spend most of their time
# waiting on Wine rather than on the processor.
fuzz_pass() { bash tools/fuzz.sh >build/fuzz.run.log 2>&1; }
if build_tree windows --toolchain cmake/mingw-w64.cmake; then
  fuzz_pass &
  fuzz_job=$!
  # Wine's display driver is chosen when its server starts, so the server, the
  # prefix set-up and every Windows test share one Xvfb display.
  run_tree windows xvfb-run -a -s "-screen 0 1024x768x24" tools/with-wine.sh
  wait "$fuzz_job"
else
  fuzz_pass
fi
grep -E "^(fuzz |allocations)" build/fuzz.run.log
fuzz_counts=$(sed -nE 's/^fuzz: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' build/fuzz.run.log)
if [ -z "$fuzz_counts" ]; then
  cat build/fuzz.run.log
  broken+=("fuzz (did not run)")
else
  read -r fuzz_passed fuzz_failed <<<"$fuzz_counts"
  total=$((total + fuzz_passed + fuzz_failed))
  failed=$((failed + fuzz_failed))
  if [ "$fuzz_failed" -ne 0 ]; then cat build/fuzz.run.log; fi
fi

echo
for problem in "${broken[@]}"; do echo "broken: $problem"; done
# Test cases of all three trees and the fuzz runs; a program run under Xvfb counts as one.
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ] && [ "$total" -gt 0 ]
