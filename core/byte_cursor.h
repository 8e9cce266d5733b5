#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"

struct ByteWindow;

// Reads numbers from a block of bytes at absolute offsets. Every read is
// checked against the size; a read past the end (or any read of an empty
// block) yields 0 and sets the sticky `failed` flag, which nothing clears.
// A cursor made over a window (below) reads a block that is not all in
// memory, such as a file, with the same offsets and the same checks.
struct ByteCursor {
    const uint8_t* data;  // the whole block; unused with a window
    uint32_t size;
    bool failed;
    ByteWindow* window;
};

// The bytes a windowed cursor reads are brought into one buffer, reused for
// every refill: at least `blockBytes` at a time, more when one read needs more.
struct ByteWindow {
    void* source;
    // Fills `into` with `count` bytes from `offset`; the first failure is kept in `error`.
    ErrorCode (*read)(void* source, uint64_t offset, uint8_t* into, uint32_t count);
    uint32_t blockBytes;
    ByteBuffer buffer;
    uint64_t origin;  // offset of the buffer's first byte
    uint32_t held;    // bytes in the buffer
    ErrorCode error;
};

inline ByteCursor makeCursor(const uint8_t* data, uint32_t size) { return {data, size, false, nullptr}; }
inline ByteCursor makeWindowCursor(ByteWindow& window, uint32_t size) { return {nullptr, size, false, &window}; }
void releaseWindow(ByteWindow& window);

// True when `count` bytes lie inside the block from `offset` on.
inline bool hasBytes(const ByteCursor& cursor, uint64_t offset, uint64_t count) {
    return (cursor.data || cursor.window) && offset <= cursor.size && count <= cursor.size - offset;
}

// The address of `count` bytes at `offset`; null (and failed) when they are
// not all there or cannot be read. With a window the address holds until the
// next read through any cursor on that window.
const uint8_t* bytesAt(ByteCursor& cursor, uint64_t offset, uint64_t count);

// Copies `count` bytes at `offset` into `into`; false (and failed) when they
// are not all there or cannot be read. A windowed cursor reads them straight
// into `into`, past its buffer, so a large block is never held twice.
bool copyBytes(ByteCursor& cursor, uint64_t offset, uint64_t count, uint8_t* into);

uint8_t readU8(ByteCursor& cursor, uint64_t offset);
uint16_t readU16LE(ByteCursor& cursor, uint64_t offset);
uint32_t readU32LE(ByteCursor& cursor, uint64_t offset);
uint16_t readU16BE(ByteCursor& cursor, uint64_t offset);
uint32_t readU32BE(ByteCursor& cursor, uint64_t offset);
uint64_t readU64BE(ByteCursor& cursor, uint64_t offset);
