#pragma once
#include <cstdint>

// Reads numbers from a block of bytes at absolute offsets. Every read is
// checked against the size; a read past the end (or any read of an empty
// block) yields 0 and sets the sticky `failed` flag, which nothing clears.
struct ByteCursor {
    const uint8_t* data;
    uint32_t size;
    bool failed;
};

inline ByteCursor makeCursor(const uint8_t* data, uint32_t size) { return {data, size, false}; }

// True when `count` bytes lie inside the block from `offset` on.
inline bool hasBytes(const ByteCursor& cursor, uint64_t offset, uint64_t count) {
    return cursor.data && offset <= cursor.size && count <= cursor.size - offset;
}

// The address of `count` bytes at `offset`; null (and failed) when they are not all there.
const uint8_t* bytesAt(ByteCursor& cursor, uint64_t offset, uint64_t count);

uint8_t readU8(ByteCursor& cursor, uint64_t offset);
uint16_t readU16LE(ByteCursor& cursor, uint64_t offset);
uint32_t readU32LE(ByteCursor& cursor, uint64_t offset);
uint16_t readU16BE(ByteCursor& cursor, uint64_t offset);
uint32_t readU32BE(ByteCursor& cursor, uint64_t offset);
uint64_t readU64BE(ByteCursor& cursor, uint64_t offset);
