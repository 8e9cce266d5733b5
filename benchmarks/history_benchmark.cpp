// Undo and Redo on a card of eight long instruments (3.6 million samples
// each, 95 s at the working rate): the history's own work behind the click,
// then, apart, the refresh that follows it in the window (the preview of the
// shown instrument rebuilt); and the memory the history takes beyond the
// document after 200 knob steps. tools/bench.sh prints the figures against
// their targets.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>

#include "core/card_history.h"
#include "import/sample_processing.h"

namespace {

constexpr uint32_t kSampleCount = 3600000;
constexpr uint32_t kKnobSteps = 200;

bool fillCard(CardDocument& document) {
    resetDocument(document);
    for (uint32_t i = 0; i < kMaxInstruments; ++i) {
        Instrument* instrument = addNamedInstrument(document);
        float* samples = nullptr;
        if (!instrument || failed(makeSamples(instrument->samples, kSampleCount, samples))) return false;
        for (uint32_t s = 0; s < kSampleCount; ++s) samples[s] = 0.7f * std::sin(0.003f * float(s) * float(i + 1));
        instrument->start = 1000;
        instrument->end = kSampleCount;
        instrument->decay = 200;
        instrument->boost = 3;
    }
    return true;
}

// One knob step on the first instrument, recorded as a step of its own.
bool turnKnob(CardHistory& history, CardDocument& document, uint64_t& nowMs) {
    Instrument& instrument = *instrumentAt(document, 0);
    instrument.decay = instrument.decay == 255 ? 1 : instrument.decay + 1;
    nowMs += 2 * kEditRunMs;
    return !failed(recordEdit(history, document, EditKind::ChangeDecay, 0, 0, true, nowMs));
}

// Bytes the process has taken from the heap, mapped blocks included.
size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Card {
    CardDocument document = {};
    CardHistory history = {};
    uint64_t nowMs = 0;
    bool ready = false;
    Card() {
        ready = fillCard(document) && !failed(startHistory(history, document, 0, true)) &&
                turnKnob(history, document, nowMs);
    }
    ~Card() {
        releaseHistory(history);
        releaseDocument(document);
    }
};

void undoThenRedo(benchmark::State& state) {
    Card card;
    if (!card.ready) state.SkipWithError("out of memory");
    int32_t selection = 0;
    for (auto _ : state) {
        bool done = undoEdit(card.history, card.document, selection) && redoEdit(card.history, card.document, selection);
        if (!done) state.SkipWithError("nothing to undo");
        benchmark::DoNotOptimize(selection);
    }
}

// What the window does next: the shown instrument's preview rebuilt.
void previewAfterUndo(benchmark::State& state) {
    Card card;
    if (!card.ready) state.SkipWithError("out of memory");
    SampleBuffer samples = {}, envelope = {};
    int32_t selection = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bool undone = undoEdit(card.history, card.document, selection) || redoEdit(card.history, card.document, selection);
        state.ResumeTiming();
        if (!undone) state.SkipWithError("nothing to undo");
        prepareInstrumentPreview(*instrumentAt(card.document, uint32_t(selection)), samples, envelope);
        benchmark::DoNotOptimize(samples.data);
    }
    releaseBuffer(samples);
    releaseBuffer(envelope);
}

// The history started beside the card and 200 knob steps recorded: what the
// heap grew by, against the states array alone and the samples held only by
// the history (none: every step shares the document's).
void historyMemory(benchmark::State& state) {
    CardDocument document = {};
    if (!fillCard(document)) state.SkipWithError("out of memory");
    for (auto _ : state) {
        CardHistory history = {};
        uint64_t nowMs = 0;
        size_t before = heapInUse();
        bool recorded = !failed(startHistory(history, document, 0, true));
        for (uint32_t i = 0; i < kKnobSteps && recorded; ++i) recorded = turnKnob(history, document, nowMs);
        size_t after = heapInUse();
        if (!recorded || history.count != kKnobSteps + 1) state.SkipWithError("steps not recorded");
        state.counters["heapBytes"] = double(after - before);
        state.counters["statesBytes"] = double(sizeof(HistoryState) * (kHistorySteps + 1));
        state.counters["historyOnlySampleBytes"] = double(historyOnlySampleBytes(history));
        releaseHistory(history);
    }
    releaseDocument(document);
}

}  // namespace

BENCHMARK(undoThenRedo)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(previewAfterUndo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(historyMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
