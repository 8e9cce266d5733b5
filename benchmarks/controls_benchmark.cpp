// Building the waveform view's paths: the primary series and the decay
// overlay (forward and back) for 3.6 million samples in a 420-pixel plot.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "controls/waveform_geometry.h"

namespace {

std::vector<float> signal(uint32_t count) {
    std::vector<float> x(count);
    for (uint32_t i = 0; i < count; ++i) x[i] = 0.7f * std::sin(0.003f * i) * std::sin(0.21f * i);
    return x;
}

void buildPaths(benchmark::State& state) {
    std::vector<float> samples = signal(3600000), envelope(3600000);
    for (uint32_t i = 0; i < envelope.size(); ++i) envelope[i] = i < 391680 ? 1.0f - i / 391680.0f : 0.0f;
    PlotArea area = plotAreaOf(420, 120);
    PathPoints waveform = {}, overlay = {};
    for (auto _ : state) {
        buildSeriesPath(waveform, samples.data(), uint32_t(samples.size()), area, false);
        buildSeriesPath(overlay, envelope.data(), uint32_t(envelope.size()), area, false);
        buildSeriesPath(overlay, envelope.data(), uint32_t(envelope.size()), area, true);
        benchmark::DoNotOptimize(waveform.points);
    }
    state.counters["points"] = double(waveform.count + overlay.count);
    releasePathPoints(waveform);
    releasePathPoints(overlay);
}

// Baseline: reading the same samples three times, once each pass.
void readSamples(benchmark::State& state) {
    std::vector<float> samples = signal(3600000);
    for (auto _ : state) {
        float sum = 0;
        for (int pass = 0; pass < 3; ++pass)
            for (float s : samples) sum += s;
        benchmark::DoNotOptimize(sum);
    }
}

}  // namespace

BENCHMARK(buildPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(readSamples)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
