#include "import/decoded_sample.h"

#include <cstdlib>

void releaseDecodedSample(DecodedSample& decoded) {
    releaseBuffer(decoded.samples);
    releaseBuffer(decoded.samplerData);
    free(decoded.loops.items);
    decoded.loops = WavLoopList{};
}

void clearDecodedSample(DecodedSample& decoded) {
    uint32_t maxFileSize = decoded.maxFileSize;
    uint8_t mixToMono = decoded.mixToMono;
    releaseDecodedSample(decoded);
    decoded = DecodedSample{};
    decoded.maxFileSize = maxFileSize;
    decoded.mixToMono = mixToMono;
}
