#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang and libFuzzer and runs them.
#
#   tools/fuzz.sh                     every kept input once (fuzz/corpus/<target>/),
#                                     then a short run of each target
#   tools/fuzz.sh --campaign SECONDS  a long run of each target, one after the
#                                     other on one core; new inputs collect in
#                                     build/fuzz/campaign/<target>/
#
# A crash, a hang, a leak, a sanitizer report or an input that makes a reader
# hold more than a small multiple of its size (fuzz/allocation_watch.h) fails
# the run; the input is left in build/fuzz/artifacts/. Keep the inputs that
# found something in fuzz/corpus/<target>/, and shrink a grown corpus with
#   fuzz_<target> -merge=1 NEW_FOLDER fuzz/corpus/<target> build/fuzz/campaign/<target>
# Ends with "fuzz: N passed, M failed", one case per target and pass.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

# Ten seconds a target keeps the four short runs well under a minute of the
# test command; the long campaigns are where new faults are found.
short_seconds=10
campaign=0
if [ "${1:-}" = "--campaign" ]; then
  campaign="${2:?--campaign needs a number of seconds per target}"
fi

targets=(wav_reader aiff_reader card_file identify_reply)
build=build/fuzz
mkdir -p build
if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF &&
       cmake --build "$build" -j 2 --target fuzz_targets; } >build/fuzz.log 2>&1; then
  cat build/fuzz.log
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

# A sample file is at most 16 MiB; no input needs a quarter of a gigabyte.
limits=(-rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10)
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1
passed=0
failed=0
mkdir -p "$build/artifacts"

run() {  # what, target, libFuzzer arguments...
  local what="$1" target="$2"; shift 2
  local log="$build/$target.$what.log"
  if "$build/fuzz/fuzz_$target" "${limits[@]}" -artifact_prefix="$build/artifacts/$target-" "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "fuzz $target ($what): $(grep -E '^(Done|#[0-9]+.*DONE)' "$log" | tail -1)"
    grep '^allocations:' "$log"
  else
    failed=$((failed + 1))
    tail -40 "$log"
    echo "fuzz $target ($what): FAILED, see $log"
  fi
}

for target in "${targets[@]}"; do
  seeds=("fuzz/corpus/$target")
  # The readers' own test files are seeds too.
  case "$target" in wav_reader|aiff_reader) seeds+=(tests/import/fixtures) ;; esac
  if [ "$campaign" -gt 0 ]; then
    mkdir -p "$build/campaign/$target"
    run campaign "$target" -max_total_time="$campaign" -max_len=65536 -print_final_stats=1 \
      "$build/campaign/$target" "${seeds[@]}"
  else
    run regression "$target" -runs=0 "${seeds[@]}"
    # New inputs of the short run go to a scratch folder, never into the kept corpus.
    rm -rf "$build/short/$target"
    mkdir -p "$build/short/$target"
    run short "$target" -max_total_time="$short_seconds" "$build/short/$target" "${seeds[@]}"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
