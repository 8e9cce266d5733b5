#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"

// An instrument's samples. Made once, by an import or a card-file read,
// never changed after, and shared: the document and every step of its undo
// history that holds the instrument refer to the same block, so a step costs
// a pointer, not a copy. All holders live on the user-interface thread (the
// command line has no other).
struct SampleBlock;

struct SharedSamples {
    const float* data;
    uint32_t count;
    SampleBlock* block;  // null when there are no samples
};

// A fresh block of `count` samples, to be filled through `writable` before it
// is shared. What `samples` held before is let go. On failure `samples` is
// left as it was.
ErrorCode makeSamples(SharedSamples& samples, uint32_t count, float*& writable);

// Takes the buffer's storage as a block, without a copy; the buffer is left
// empty. What `samples` held before is let go. On failure (no memory for the
// block's bookkeeping) both are left as they were.
ErrorCode adoptSamples(SharedSamples& samples, SampleBuffer& storage);

// `to` holds the same block as `from`; what it held before is let go.
void shareSamples(SharedSamples& to, const SharedSamples& from);

// Lets the samples go; the block is freed with its last holder.
void releaseSamples(SharedSamples& samples);

// How many hold the block (0 without samples).
uint32_t sampleHolders(const SharedSamples& samples);
