#!/usr/bin/env bash
# Builds and runs every test: the native build, the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build under
# Wine on an Xvfb display, and the fuzz targets' regression pass and short
# runs. Exits non-zero when a test fails or none ran.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

# Where the time goes, printed at the end: seconds for each stage.
times=()
timed() {  # stage name, command...
  local name="$1" started=$SECONDS; shift
  "$@"
  local status=$?
  times+=("$name $((SECONDS - started)) s")
  return $status
}

timed setup bash tools/setup.sh || exit 1
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

# Release builds: debug information is not read by any test, and building
# it takes the Windows tree a third longer.
if timed "native build" build_tree native -DCMAKE_BUILD_TYPE=Release; then timed "native tests" run_tree native; fi

if timed "sanitizer build" build_tree sanitize -DCORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 timed "sanitizer tests" run_tree sanitize
fi

# The fuzz targets (clang, libFuzzer): every kept input, then a short run of
# each. They run beside the Windows tests, which spend most of their time
# waiting on Wine rather than on the processor.
fuzz_pass() { bash tools/fuzz.sh >build/fuzz.run.log 2>&1; }
if timed "windows build" build_tree windows --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release; then
  fuzz_started=$SECONDS
  fuzz_pass &
  fuzz_job=$!
  # Wine's display driver is chosen when its server starts, so the server, the
  # prefix set-up and every Windows test share one Xvfb display.
  timed "windows tests" run_tree windows xvfb-run -a -s "-screen 0 1024x768x24" tools/with-wine.sh
  wait "$fuzz_job"
  times+=("fuzz build and runs, beside the windows tests: $((SECONDS - fuzz_started)) s")
else
  timed "fuzz build and runs" fuzz_pass
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
printf 'time: %s\n' "${times[@]}"
for problem in "${broken[@]}"; do echo "broken: $problem"; done
# Test cases of all three trees and the fuzz runs; a program run under Xvfb counts as one.
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ] && [ "$total" -gt 0 ]
