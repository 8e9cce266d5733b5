// What runs on every step of a knob drag or marker move: the preview of the
// selected instrument rebuilt, the waveform view's paths built again for its
// 420-pixel plot, and the memory figures recounted. tools/bench.sh prints
// the result against its target.
#include <benchmark/benchmark.h>

#include <cmath>

#include "controls/waveform_geometry.h"
#include "core/card_document.h"
#include "core/memory_text.h"
#include "import/sample_processing.h"

namespace {

constexpr uint32_t kSampleCount = 3600000;  // 95 s at the working rate

// A card of eight instruments: the selected one holds the long sample.
void fillCard(CardDocument& document) {
    resetDocument(document);
    for (uint32_t i = 0; i < kMaxInstruments; ++i) {
        Instrument* instrument = appendInstrument(document);
        uint32_t count = i == 0 ? kSampleCount : 20000;
        float* samples = nullptr;
        if (!instrument || failed(makeSamples(instrument->samples, count, samples))) return;
        for (uint32_t s = 0; s < count; ++s)
            samples[s] = 0.7f * std::sin(0.003f * s) * std::sin(0.21f * s);
        instrument->start = 1000;
        instrument->end = count;
        instrument->decay = 255;
        instrument->boost = 6;
    }
}

void parameterChangeTail(benchmark::State& state) {
    CardDocument document = {};
    fillCard(document);
    Instrument& selected = *instrumentAt(document, 0);
    if (selected.samples.count != kSampleCount) state.SkipWithError("out of memory");
    SampleBuffer previewSamples = {}, previewEnvelope = {};
    PathPoints waveform = {}, overlay = {};
    const PlotArea area = plotAreaOf(420, 120);
    MemoryText cardSize, freeMemory;
    for (auto _ : state) {
        // A knob step: the value changes, then the tail.
        selected.decay = selected.decay == 255 ? 254 : 255;
        prepareInstrumentPreview(selected, previewSamples, previewEnvelope);
        const VisibleRange whole = wholeRange(previewSamples.count);
        buildSeriesPath(waveform, previewSamples.data, previewSamples.count, area, whole, false);
        buildSeriesPath(overlay, previewEnvelope.data, previewEnvelope.count, area, whole, false);
        buildSeriesPath(overlay, previewEnvelope.data, previewEnvelope.count, area, whole, true);
        buildMemoryTexts(document, cardSize, freeMemory);
        benchmark::DoNotOptimize(waveform.points);
        benchmark::DoNotOptimize(freeMemory.units);
    }
    releasePathPoints(waveform);
    releasePathPoints(overlay);
    releaseBuffer(previewSamples);
    releaseBuffer(previewEnvelope);
    releaseDocument(document);
}

}  // namespace

BENCHMARK(parameterChangeTail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
