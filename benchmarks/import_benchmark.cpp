// Import speed against sox, and the speed of the steps behind it.
// tools/bench.sh makes the input file and prints the ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/import_sample.h"
#include "import/resample.h"
#include "import/sample_processing.h"
#include "resample_reference.h"

namespace {

std::string inputPath() {
    const char* path = std::getenv("CORVANE_BENCH_WAV");
    return path ? path : "";
}

void importOnce(benchmark::State& state) {
    std::string path = inputPath();
    for (auto _ : state) {
        Instrument instrument = {};
        ErrorCode code = importSample(instrument, Utf8View{path.data(), uint32_t(path.size())});
        if (failed(code)) state.SkipWithError("import failed: set CORVANE_BENCH_WAV");
        benchmark::DoNotOptimize(instrument.samples.data);
        releaseSamples(instrument.samples);
    }
}

// What the user compares with: converting the same file with sox.
void soxConvert(benchmark::State& state) {
    std::string command = "sox '" + inputPath() + "' -c 1 -r 37908 /tmp/corvane-bench-sox.wav";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("sox failed");
}

std::vector<float> signal(uint32_t count) {
    std::vector<float> x(count);
    for (uint32_t i = 0; i < count; ++i) x[i] = 0.5f * std::sin(0.01f * i) + 0.2f * std::sin(0.37f * i);
    return x;
}

void resample44100(benchmark::State& state) {
    std::vector<float> x = signal(4194304);
    std::vector<float> y(size_t(x.size()) * 37908 / 44100);
    for (auto _ : state)
        resample(x.data(), uint32_t(x.size()), 44100, y.data(), uint32_t(y.size()), 37908);
}

// Ten seconds of 44100 Hz: the resampler against the plain sum it must match.
void resampleTenSeconds(benchmark::State& state) {
    std::vector<float> x = signal(441000), y(379080);
    for (auto _ : state) resample(x.data(), 441000, 44100, y.data(), 379080, 37908);
}

void resampleTenSecondsPlain(benchmark::State& state) {
    std::vector<float> x = signal(441000);
    for (auto _ : state) benchmark::DoNotOptimize(referenceResample(x, 44100, 379080, 37908).data());
}

// The preview runs on every step of a knob drag: 3.6 million samples,
// boosted, with a decay envelope. Baseline: copying the samples once.
void previewPrepare(benchmark::State& state) {
    std::vector<float> x = signal(3600000);
    Instrument instrument = {};
    instrument.samples = {x.data(), uint32_t(x.size()), nullptr};  // lent, held by nobody
    instrument.start = 1000;
    instrument.end = uint32_t(x.size());
    instrument.decay = 255;
    instrument.boost = 6;
    SampleBuffer samples = {}, envelope = {};
    for (auto _ : state) prepareInstrumentPreview(instrument, samples, envelope);
    releaseBuffer(samples);
    releaseBuffer(envelope);
}

void previewBaselineCopy(benchmark::State& state) {
    std::vector<float> x = signal(3600000), y(x.size());
    for (auto _ : state) {
        memcpy(y.data(), x.data(), x.size() * sizeof(float));
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(importOnce)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(soxConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(resample44100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(resampleTenSeconds)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(resampleTenSecondsPlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(previewPrepare)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(previewBaselineCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
