// A whole transfer of a full card to the simulated writer: the time the
// program itself spends building the image and handing over its blocks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/card_image.h"
#include "transfer/transfer_job.h"

namespace {

// Eight downsampled instruments filling the card exactly: seven of eight
// blocks and one of seven.
void fillCard(CardDocument& document) {
    resetDocument(document);
    for (uint32_t i = 0; i < 8; ++i) {
        Instrument* instrument = appendInstrument(document);
        uint32_t blocks = i < 7 ? 8 : 7;
        uint32_t span = blocks * 1024 * 3 / 2;
        float* samples = nullptr;
        makeSamples(instrument->samples, span, samples);
        for (uint32_t k = 0; k < span; ++k) samples[k] = 0.6f * std::sin(0.05f * k * (i + 1));
        instrument->end = span;
        instrument->decay = 1;
        instrument->downsample = true;
        instrument->boost = i % 3 == 0 ? 4 : 0;
    }
}

void noStatus(void*, const char16_t*) {}

void wholeTransfer(benchmark::State& state) {
    CardDocument document = {};
    fillCard(document);
    if (recountUsage(document) != 0) state.SkipWithError("the card is not exactly full");
    SimulatedUsb usb;
    usb.plugWriter({}, u"bench");
    CardWriterList writers = {};
    CardWriterRecord record;
    memset(&record, 0, sizeof record);
    queryCardWriter(usb.transport(), record, usb.device(0).path.c_str(), 0x0483, 0xA2A1);
    appendWriterRecord(writers, record);
    // The worker runs on the calling thread and its reports are applied after it.
    static std::vector<TransferReport> reports;
    TransferControls controls = {
        nullptr,
        [](void*, const TransferReport& report) {
            reports.push_back(report);
            return true;
        },
        noStatus, [](void*) { return false; }, [](void*, bool) {}, [](void*, uint32_t) {},
        [](void*, uint32_t) {}, [](void*, bool, bool) {}, [](void*) { return int32_t(0); },
        [](void*) { return uint32_t(1); }, [](void*, uint32_t) {}, [](void*) {},
        [](void*, TransferJob& job) {
            reports.clear();
            transferThread(job);
            for (const TransferReport& report : reports) applyTransferReport(job, report);
            return true;
        },
        [](void*, TransferThread&, uint32_t) { return true; },
        [](void*) { return uint64_t(1); }, [](void*) { return uint64_t(1); }};
    TransferJob job;
    initTransferJob(job, usb.transport(), controls);
    for (auto _ : state) {
        usb.requests.clear();
        sendToCard(job, writers, document);
    }
    if (usb.device(0).banks.at(1).size() != kCardCapacity) state.SkipWithError("the card was not written");
    shutdownTransferJob(job);
    releaseWriterList(writers);
    releaseDocument(document);
}

// Baseline: one plain copy of every sample of the same card.
void copySamples(benchmark::State& state) {
    CardDocument document = {};
    fillCard(document);
    std::vector<float> copy(100000);
    for (auto _ : state) {
        size_t at = 0;
        for (uint32_t i = 0; i < document.instruments.count; ++i) {
            const SharedSamples& samples = document.instruments.items[i].samples;
            memcpy(copy.data() + at, samples.data, samples.count * sizeof(float));
            at += samples.count;
        }
        benchmark::ClobberMemory();
    }
    releaseDocument(document);
}

}  // namespace

BENCHMARK(wholeTransfer)->Unit(benchmark::kMillisecond);
BENCHMARK(copySamples)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
