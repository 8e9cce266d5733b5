// Building the waveform view's paths, the work of a redraw after a knob step
// (which must stay within about 8 ms): the primary series and the decay
// overlay (forward and back) of 3.6 million samples in a 420-pixel plot, shown
// whole and zoomed in, where only the visible samples are read.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "controls/waveform_geometry.h"

namespace {

constexpr uint32_t kCount = 3600000;

std::vector<float> signal(uint32_t count) {
    std::vector<float> x(count);
    for (uint32_t i = 0; i < count; ++i) x[i] = 0.7f * std::sin(0.003f * i) * std::sin(0.21f * i);
    return x;
}

// Argument: the visible part of the series, as 1 / 2^n of it, centred.
void buildPaths(benchmark::State& state) {
    std::vector<float> samples = signal(kCount), envelope(kCount);
    for (uint32_t i = 0; i < envelope.size(); ++i) envelope[i] = i < 391680 ? 1.0f - i / 391680.0f : 0.0f;
    const PlotArea area = plotAreaOf(420, 120);
    const double span = double(kCount) / double(1u << state.range(0));
    const VisibleRange range = clampRange({(kCount - span) / 2, span}, kCount, area.width, 8);
    PathPoints waveform = {}, overlay = {};
    for (auto _ : state) {
        buildSeriesPath(waveform, samples.data(), kCount, area, range, false);
        buildSeriesPath(overlay, envelope.data(), kCount, area, range, false);
        buildSeriesPath(overlay, envelope.data(), kCount, area, range, true);
        benchmark::DoNotOptimize(waveform.points);
    }
    state.counters["samples shown"] = range.span;
    state.counters["points"] = double(waveform.count + overlay.count);
    releasePathPoints(waveform);
    releasePathPoints(overlay);
}

// Baseline: reading the same samples three times, once each pass.
void readSamples(benchmark::State& state) {
    std::vector<float> samples = signal(kCount);
    for (auto _ : state) {
        float sum = 0;
        for (int pass = 0; pass < 3; ++pass)
            for (float s : samples) sum += s;
        benchmark::DoNotOptimize(sum);
    }
}

}  // namespace

// Whole, a quarter, 1/64 (a few thousand samples a pixel less) and the closest zoom.
BENCHMARK(buildPaths)->Arg(0)->Arg(2)->Arg(6)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(readSamples)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
