// Opening a card-file of eight instruments against sox converting the same
// amount of audio, both in one run. The eight instruments together fill just
// under 16 MiB: 8 x 524276 samples, 110.6 s at the working rate. tools/bench.sh makes sox's input (that length
// as 44.1 kHz 16-bit stereo) and prints the ratio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "cardfile/card_file.h"

namespace {

// Header, eight records and trailer around the samples, within 16 MiB.
constexpr uint32_t kBenchmarkFileBytes = 16u * 1024 * 1024;
constexpr uint32_t kSamplesPerInstrument =
    (kBenchmarkFileBytes - kCardFileHeaderBytes - kMaxInstruments * kCardFileRecordBytes - 4) / kMaxInstruments / 4;

std::string environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

std::string cardPath() { return environment("CORVANE_BENCH_DIR", "/tmp") + "/eight-instruments.vxcor"; }

bool writeBenchmarkCard(const std::string& path) {
    CardDocument document = {};
    resetDocument(document);
    bool written = true;
    for (uint32_t i = 0; i < kMaxInstruments && written; ++i) {
        Instrument* instrument = appendInstrument(document);
        float* samples = nullptr;
        written = instrument && !failed(makeSamples(instrument->samples, kSamplesPerInstrument, samples));
        if (!written) break;
        for (uint32_t s = 0; s < kSamplesPerInstrument; ++s)
            samples[s] = 0.5f * std::sin(0.01f * s * float(i + 1));
        instrument->end = kSamplesPerInstrument;
        instrument->decay = 100;
    }
    written = written && !failed(writeCardFile(document, Utf8View{path.data(), uint32_t(path.size())}));
    releaseDocument(document);
    return written;
}

void openCardFile(benchmark::State& state) {
    std::string path = cardPath();
    if (!writeBenchmarkCard(path)) {
        state.SkipWithError("cannot write the card-file");
        return;
    }
    for (auto _ : state) {
        CardDocument document = {};
        resetDocument(document);
        if (failed(readCardFile(document, Utf8View{path.data(), uint32_t(path.size())})))
            state.SkipWithError("cannot read the card-file");
        benchmark::DoNotOptimize(document.instruments.items);
        releaseDocument(document);
    }
    state.counters["samples"] = double(kSamplesPerInstrument) * kMaxInstruments;
}

// The whole sox process converting the same length of audio to the working rate.
void soxConvertSameAudio(benchmark::State& state) {
    std::string input = environment("CORVANE_BENCH_SOX_WAV", "");
    std::string command = "sox '" + input + "' -c 1 -r 37908 " + environment("CORVANE_BENCH_DIR", "/tmp") +
                          "/eight-instruments-sox.wav";
    for (auto _ : state)
        if (input.empty() || std::system(command.c_str()) != 0) state.SkipWithError("sox failed: set CORVANE_BENCH_SOX_WAV");
}

}  // namespace

BENCHMARK(openCardFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(soxConvertSameAudio)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();
