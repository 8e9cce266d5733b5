#!/usr/bin/env bash
# Measures the import of a 16 MiB 44.1 kHz 16-bit stereo WAV against sox
# converting the same file, in one run on this machine, and prints the ratio;
# then the import's peak memory, the preview's speed and a whole transfer of a
# full card to the simulated card writer.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash tools/setup.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target import_benchmark import_memory_probe transfer_benchmark controls_benchmark >/dev/null
mkdir -p build/bench
wav=build/bench/import-16MiB.wav
if [ ! -f "$wav" ]; then
  # 95.1 s of 44100 Hz 16-bit stereo: just under 16 MiB.
  sox -n -r 44100 -c 2 -b 16 "$wav" synth 95.1 sine 440 sine 660 vol 0.5
fi
json=build/bench/import.json
CORVANE_BENCH_WAV="$here/$wav" build/native/benchmarks/import_benchmark \
  --benchmark_out="$json" --benchmark_out_format=json --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
ours, sox = runs["importOnce"], runs["soxConvert"]
print(f"\nimport {ours:.1f} ms, sox {sox:.1f} ms: the import takes 1/{sox / ours:.1f} of sox's time (target: at most 1/8)")
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
