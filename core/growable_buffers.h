#pragma once
#include <cstdint>

#include "core/error_code.h"

// Growable arrays of samples and of raw bytes. Plain data: the owner releases them.
struct SampleBuffer {
    float* data;
    uint32_t count;
    uint32_t capacity;
};

struct ByteBuffer {
    uint8_t* data;
    uint32_t count;
    uint32_t capacity;
};

// Within the capacity only the count changes; otherwise storage of exactly n
// elements is taken and the old elements are kept. New elements are not cleared.
ErrorCode resizeBuffer(SampleBuffer& buffer, uint32_t count);
ErrorCode resizeBuffer(ByteBuffer& buffer, uint32_t count);

// Releases the destination's storage and takes the source's; the source is left empty.
void moveBuffer(SampleBuffer& destination, SampleBuffer& source);
void moveBuffer(ByteBuffer& destination, ByteBuffer& source);

void releaseBuffer(SampleBuffer& buffer);
void releaseBuffer(ByteBuffer& buffer);
