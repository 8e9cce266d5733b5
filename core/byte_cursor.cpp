#include "core/byte_cursor.h"

#include <cstring>

// Brings [offset, offset + count) into the window, reading ahead up to a
// block but never past the end of the block of bytes.
static bool refill(ByteWindow& window, uint32_t size, uint64_t offset, uint32_t count) {
    if (failed(window.error)) return false;
    uint32_t want = count > window.blockBytes ? count : window.blockBytes;
    if (want > size - offset) want = static_cast<uint32_t>(size - offset);
    window.held = 0;
    ErrorCode code = ErrorCode::Ok;
    if (!window.buffer.data || want > window.buffer.capacity) {
        releaseBuffer(window.buffer);  // nothing in it is kept: no copy into the larger one
        code = resizeBuffer(window.buffer, want);
    }
    if (!failed(code) && want) code = window.read(window.source, offset, window.buffer.data, want);
    if (failed(code)) {
        window.error = code;
        return false;
    }
    window.origin = offset;
    window.held = want;
    return true;
}

const uint8_t* bytesAt(ByteCursor& cursor, uint64_t offset, uint64_t count) {
    if (!hasBytes(cursor, offset, count) || (count == 0 && cursor.size == 0)) {
        cursor.failed = true;
        return nullptr;
    }
    ByteWindow* window = cursor.window;
    if (!window) return cursor.data + offset;
    bool inside = window->buffer.data && offset >= window->origin && offset - window->origin <= window->held &&
                  count <= window->held - (offset - window->origin);
    if (!inside && !refill(*window, cursor.size, offset, static_cast<uint32_t>(count))) {
        cursor.failed = true;
        return nullptr;
    }
    return window->buffer.data + (offset - window->origin);
}

bool copyBytes(ByteCursor& cursor, uint64_t offset, uint64_t count, uint8_t* into) {
    if (!hasBytes(cursor, offset, count)) {
        cursor.failed = true;
        return false;
    }
    ByteWindow* window = cursor.window;
    if (count == 0) return true;
    if (!window) {
        memcpy(into, cursor.data + offset, count);
        return true;
    }
    ErrorCode code = failed(window->error) ? window->error : window->read(window->source, offset, into, uint32_t(count));  // count <= size, a u32
    if (failed(code)) {
        window->error = code;
        cursor.failed = true;
        return false;
    }
    return true;
}

void releaseWindow(ByteWindow& window) {
    releaseBuffer(window.buffer);
    window.held = 0;
}

uint8_t readU8(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 1);
    return b ? b[0] : 0;
}

uint16_t readU16LE(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 2);
    return b ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : 0;
}

uint32_t readU32LE(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 4);
    return b ? (uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24) : 0;
}

uint16_t readU16BE(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 2);
    return b ? static_cast<uint16_t>((b[0] << 8) | b[1]) : 0;
}

uint32_t readU32BE(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 4);
    return b ? (uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3])) : 0;
}

uint64_t readU64BE(ByteCursor& cursor, uint64_t offset) {
    const uint8_t* b = bytesAt(cursor, offset, 8);
    if (!b) return 0;
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = (value << 8) | b[i];
    return value;
}
