#pragma once
#include <cstdint>

// Reads numbers from a block of bytes. Every read is checked against what
// remains; a read past the end yields 0 and marks the cursor failed for good.
struct ByteCursor {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;
    bool failed;
};

inline ByteCursor makeCursor(const uint8_t* data, uint64_t size) { return {data, size, 0, false}; }

// True when `count` bytes remain from the current position.
inline bool hasBytes(const ByteCursor& cursor, uint64_t count) {
    return cursor.position <= cursor.size && count <= cursor.size - cursor.position;
}

// The address of the next `count` bytes, advancing past them; null (and failed) when short.
const uint8_t* takeBytes(ByteCursor& cursor, uint64_t count);

uint8_t readU8(ByteCursor& cursor);
uint16_t readU16LE(ByteCursor& cursor);
uint32_t readU32LE(ByteCursor& cursor);
uint16_t readU16BE(ByteCursor& cursor);
uint32_t readU32BE(ByteCursor& cursor);

// Moves to an absolute position; positions past the end fail only when read.
inline void seekTo(ByteCursor& cursor, uint64_t position) { cursor.position = position; }
