#pragma once
#include <cstdint>

#include "core/growable_buffers.h"

// A loop of a WAV "smpl" chunk, six numbers in file order.
struct WavLoop {
    uint32_t cuePointId;
    uint32_t type;
    uint32_t start;
    uint32_t end;
    uint32_t fraction;
    uint32_t playCount;
};

struct WavLoopList {
    WavLoop* items;
    uint32_t count;
    uint32_t capacity;
};

// An AIFF loop resolved against its markers; all zero when it could not be.
struct AiffLoop {
    uint32_t playMode;
    uint32_t start;
    uint32_t end;
};

// What a sample-file reader delivers. The caller sets maxFileSize and
// mixToMono; the reader clears and fills the rest.
struct DecodedSample {
    uint32_t maxFileSize;
    uint8_t mixToMono;
    SampleBuffer samples;  // one per frame when mixed to mono, else interleaved
    uint32_t channels;
    uint32_t sampleRate;
    float peak;            // the decoded sample of largest magnitude, with its sign

    // WAV "smpl" chunk
    uint8_t hasSampler;
    uint8_t unityNote;
    uint32_t pitchFraction;
    WavLoopList loops;
    ByteBuffer samplerData;

    // AIFF "INST" chunk with its "MARK" markers
    uint8_t hasInstrument;
    uint8_t rootNote;
    uint8_t highNote;
    uint8_t detune;
    AiffLoop sustainLoop;
    AiffLoop releaseLoop;
};

constexpr uint32_t kMaxSampleFileSize = 16u * 1024 * 1024;

// Empties everything but the two fields the caller sets, keeping no storage.
void clearDecodedSample(DecodedSample& decoded);
// Releases all storage.
void releaseDecodedSample(DecodedSample& decoded);
