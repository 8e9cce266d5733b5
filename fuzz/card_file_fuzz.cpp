// The card-file reader on arbitrary bytes: libFuzzer's entry point.
#include "allocation_watch.h"
#include "cardfile/card_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kCardFileMaxSize) return 0;
    startAllocationWatch();
    CardDocument document = {};
    resetDocument(document);
    ErrorCode code = parseCardFile(data, static_cast<uint32_t>(size), document);
    if (code == ErrorCode::Ok) {
        require(document.instruments.count <= kMaxInstruments, "more than eight instruments");
        uint64_t sampleBytes = 0;
        for (uint32_t i = 0; i < document.instruments.count; ++i) {
            const Instrument& instrument = document.instruments.items[i];
            require(instrument.start <= instrument.end && instrument.end <= instrument.samples.count,
                    "a played span outside the samples");
            require(instrument.boost <= kMaxBoost && instrument.decay >= kMinDecay, "boost or decay out of range");
            sampleBytes += 4ull * instrument.samples.count;
        }
        require(sampleBytes <= size, "more sample bytes than the file holds");
    }
    releaseDocument(document);
    endAllocationWatch(size);
    return 0;
}
