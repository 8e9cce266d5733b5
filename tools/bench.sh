#!/usr/bin/env bash
# Measures the import of a 16 MiB 44.1 kHz 16-bit stereo WAV against sox
# converting the same file, in one run on this machine, and prints the ratios:
# first whole processes (corvane-cli add into a fresh card-file against sox
# writing the converted file), then the import inside one process; then the
# import's peak memory, the preview's speed and a whole transfer of a full
# card to the simulated card writer; then the window's work on every knob
# step, Undo and Redo on a card of eight long instruments with the history's
# memory, and opening a card-file of eight instruments against sox.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash tools/setup.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target corvane-cli import_benchmark import_memory_probe transfer_benchmark controls_benchmark \
  parameter_change_benchmark history_benchmark card_file_benchmark >/dev/null
mkdir -p build/bench
wav=build/bench/import-16MiB.wav
if [ ! -f "$wav" ]; then
  # 95.1 s of 44100 Hz 16-bit stereo: just under 16 MiB.
  sox -n -r 44100 -c 2 -b 16 "$wav" synth 95.1 sine 440 sine 660 vol 0.5
fi
# Whole processes, interleaved (and in alternating order) so a change in the
# machine's load hits both alike. Each add gets a fresh, empty card-file made
# beforehand, outside the timing.
python3 - build/native/corvane-cli "$wav" build/bench <<'PY'
import os, statistics, subprocess, sys, time
cli, wav, folder = sys.argv[1:4]
card, out = os.path.join(folder, "bench.vxcor"), os.path.join(folder, "bench-sox.wav")

def run(command):
    """Wall time in ms and peak resident memory in KiB of one process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    if status != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed, usage.ru_maxrss

def add():
    if os.path.exists(card):
        os.remove(card)
    subprocess.run([cli, "new", card], check=True)
    return run([cli, "add", card, wav])

sox = lambda: run(["sox", wav, "-c", "1", "-r", "37908", out])
ours, theirs = [], []
add(), sox()  # warm the file cache and the programs
for i in range(15):
    first, second = (add, sox) if i % 2 == 0 else (sox, add)
    a, b = first(), second()
    ours.append(a if first is add else b)
    theirs.append(b if first is add else a)
cli_ms = statistics.median(t for t, _ in ours)
sox_ms = statistics.median(t for t, _ in theirs)
peak = max(m for _, m in ours) / 1024
print(f"whole processes, median of {len(ours)} each (load average {os.getloadavg()[0]:.2f}):")
print(f"  corvane-cli add {cli_ms:.1f} ms, sox {sox_ms:.1f} ms: the CLI takes {cli_ms / sox_ms:.2f} of sox's time"
      f" (target: at most 0.25)")
print(f"  corvane-cli add peak resident memory {peak:.1f} MiB (target: at most 24 MiB);"
      f" sox {max(m for _, m in theirs) / 1024:.1f} MiB")
PY

json=build/bench/import.json
CORVANE_BENCH_WAV="$here/$wav" build/native/benchmarks/import_benchmark \
  --benchmark_out="$json" --benchmark_out_format=json --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
ours, sox = runs["importOnce"], runs["soxConvert"]
print(f"\nimport inside this process {ours:.1f} ms against the sox process {sox:.1f} ms: 1/{sox / ours:.1f} of its time (target: at most 1/8)")
fast, plain = runs["resampleTenSeconds"], runs["resampleTenSecondsPlain"]
print(f"resampling ten seconds of 44100 Hz: {fast:.2f} ms, {plain / fast:.1f} times faster than the plain sum")
preview, copy = runs["previewPrepare"], runs["previewBaselineCopy"]
print(f"preview of 3.6 million samples {preview:.2f} ms (target 6 ms), {preview / copy:.1f} times one plain copy")
PY
build/native/benchmarks/import_memory_probe "$wav"
build/native/benchmarks/transfer_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "(target for the whole transfer: at most 5 ms spent in the program)"
build/native/benchmarks/controls_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "(target for building the waveform paths of 3.6 million samples: at most 4 ms)"

json=build/bench/parameter_change.json
build/native/benchmarks/parameter_change_benchmark --benchmark_out="$json" --benchmark_out_format=json \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
print(f"\nparameter change on an instrument of 3.6 million samples (preview, waveform paths for 420 pixels,"
      f" memory texts): {runs['parameterChangeTail']:.2f} ms (target: at most 8 ms)")
PY

json=build/bench/history.json
build/native/benchmarks/history_benchmark --benchmark_out="$json" --benchmark_out_format=json \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true >/dev/null
python3 - "$json" <<'PY'
import json, sys
benchmarks = json.load(open(sys.argv[1]))["benchmarks"]
runs = {b["run_name"].split("/")[0]: b for b in benchmarks if b.get("aggregate_name") == "median"}
undo, preview, memory = runs["undoThenRedo"], runs["previewAfterUndo"], runs["historyMemory"]
print(f"\nundo and redo of a knob step on a card of eight instruments of 3.6 million samples: {undo['real_time']:.2f} us"
      f" for both (target: at most 5 ms behind the click); the window's refresh after it, the shown instrument's"
      f" preview: {preview['real_time']:.2f} ms")
print(f"history of 200 knob steps beyond the document: {memory['heapBytes'] / 1024:.1f} KiB taken from the heap"
      f" (the states array {memory['statesBytes'] / 1024:.1f} KiB), samples held only by the history"
      f" {memory['historyOnlySampleBytes']:.0f} bytes (target: at most 1 MiB)")
PY

# Eight instruments that fill just under 16 MiB, the size this figure has
# always been measured at, and sox converts audio of the same length.
samples=$(( (16 * 1024 * 1024 - 34 - 8 * 40 - 4) / 8 / 4 * 8 ))
seconds=$(python3 -c "print(f'{$samples / 37908:.3f}')")
sox_wav=build/bench/card-file-length.wav
if [ ! -f "$sox_wav" ]; then
  sox -n -r 44100 -c 2 -b 16 "$sox_wav" synth "$seconds" sine 440 sine 660 vol 0.5
fi
json=build/bench/card_file.json
CORVANE_BENCH_DIR="$here/build/bench" CORVANE_BENCH_SOX_WAV="$here/$sox_wav" \
  build/native/benchmarks/card_file_benchmark --benchmark_out="$json" --benchmark_out_format=json \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true >/dev/null
python3 - "$json" "$samples" "$seconds" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
ours, sox = runs["openCardFile"], runs["soxConvertSameAudio"]
print(f"opening a card-file of eight instruments, {int(sys.argv[2])} samples ({sys.argv[3]} s at 37908 Hz, just under"
      f" 16 MiB): {ours:.1f} ms")
print(f"  against the sox process converting {sys.argv[3]} s of 44.1 kHz 16-bit stereo to 37908 Hz mono: {sox:.1f} ms;"
      f" 1/{sox / ours:.1f} of its time (target: at most 1/4)")
PY
