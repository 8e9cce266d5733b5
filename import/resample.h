#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"

// Converts `sourceCount` samples at `sourceRate` into exactly
// `destinationCount` samples at `destinationRate` with a Blackman-windowed
// sinc filter, polyphase. Positions outside the source contribute nothing, so
// the ends fade in and out over the filter's reach.
ErrorCode resample(const float* source, uint32_t sourceCount, uint32_t sourceRate, float* destination,
                   uint32_t destinationCount, uint32_t destinationRate);

// The filter in two forms: the 2N + 1 taps as designed, and per phase r
// (0 <= r < L) the taps h[kL - r] one after another, padded with zeros to a
// multiple of eight, so each output is one contiguous dot product.
struct ResampleFilter {
    uint32_t up;          // L
    uint32_t down;        // M
    uint32_t halfLength;  // N
    uint32_t terms;       // T = (2N + 1) / L
    uint32_t stride;      // T rounded up to a multiple of 8
    float* taps;
    float* phases;  // 32-byte aligned, inside phaseStorage
    void* phaseStorage;
};

// The same conversion with the source fed in blocks, so it never has to sit
// whole in memory. It keeps the filter and the last few source samples
// between blocks; every output is bit for bit the one resample() gives.
struct StreamResampler {
    ResampleFilter filter;
    uint32_t sourceCount;
    uint32_t destinationCount;
    uint64_t received;     // source samples fed so far
    uint64_t produced;     // outputs written so far
    SampleBuffer pending;  // source samples from `pendingStart` on, still needed
    uint64_t pendingStart;
};

// Checks the arguments as resample() does and designs the filter; blocks of
// up to `blockCount` source samples will fit.
ErrorCode startResampler(StreamResampler& resampler, uint32_t sourceCount, uint32_t sourceRate,
                         uint32_t destinationCount, uint32_t destinationRate, uint32_t blockCount);

// Where the next source samples go, and how many fit (at least the block count).
float* resamplerSpace(StreamResampler& resampler, uint32_t& room);

// Takes `count` samples written into the space and writes every output they
// complete into `destination` (which holds all destinationCount outputs).
// Returns the number of outputs written so far; once all sourceCount samples
// are in, that is destinationCount.
uint32_t resamplerTake(StreamResampler& resampler, uint32_t count, float* destination);

void releaseResampler(StreamResampler& resampler);
