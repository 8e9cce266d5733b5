#include "core/byte_cursor.h"

const uint8_t* takeBytes(ByteCursor& cursor, uint64_t count) {
    if (!hasBytes(cursor, count)) {
        cursor.failed = true;
        return nullptr;
    }
    const uint8_t* bytes = cursor.data + cursor.position;
    cursor.position += count;
    return bytes;
}

uint8_t readU8(ByteCursor& cursor) {
    const uint8_t* b = takeBytes(cursor, 1);
    return b ? b[0] : 0;
}

uint16_t readU16LE(ByteCursor& cursor) {
    const uint8_t* b = takeBytes(cursor, 2);
    return b ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : 0;
}

uint32_t readU32LE(ByteCursor& cursor) {
    const uint8_t* b = takeBytes(cursor, 4);
    return b ? (uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24) : 0;
}

uint16_t readU16BE(ByteCursor& cursor) {
    const uint8_t* b = takeBytes(cursor, 2);
    return b ? static_cast<uint16_t>((b[0] << 8) | b[1]) : 0;
}

uint32_t readU32BE(ByteCursor& cursor) {
    const uint8_t* b = takeBytes(cursor, 4);
    return b ? (uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3])) : 0;
}
