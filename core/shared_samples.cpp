#include "core/shared_samples.h"

#include <cstdlib>

struct SampleBlock {
    uint32_t holders;
    SampleBuffer storage;
};

static void letGo(SampleBlock* block) {
    if (!block || --block->holders != 0) return;
    releaseBuffer(block->storage);
    free(block);
}

ErrorCode adoptSamples(SharedSamples& samples, SampleBuffer& storage) {
    SampleBlock* block = nullptr;
    if (storage.count) {
        block = static_cast<SampleBlock*>(malloc(sizeof(SampleBlock)));
        if (!block) return ErrorCode::OutOfMemory;
        block->holders = 1;
        block->storage = storage;
    } else {
        releaseBuffer(storage);  // no samples: nothing to share
    }
    storage = {};
    letGo(samples.block);
    samples = block ? SharedSamples{block->storage.data, block->storage.count, block} : SharedSamples{};
    return ErrorCode::Ok;
}

ErrorCode makeSamples(SharedSamples& samples, uint32_t count, float*& writable) {
    SampleBuffer storage = {};
    ErrorCode code = resizeBuffer(storage, count);
    if (!failed(code)) code = adoptSamples(samples, storage);
    releaseBuffer(storage);  // only still held on failure
    writable = failed(code) ? nullptr : const_cast<float*>(samples.data);
    return code;
}

void shareSamples(SharedSamples& to, const SharedSamples& from) {
    if (from.block) ++from.block->holders;  // first: `to` and `from` may be one
    letGo(to.block);
    to = from;
}

void releaseSamples(SharedSamples& samples) {
    letGo(samples.block);
    samples = {};
}

uint32_t sampleHolders(const SharedSamples& samples) { return samples.block ? samples.block->holders : 0; }
