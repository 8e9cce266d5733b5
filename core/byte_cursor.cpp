#include "core/byte_cursor.h"

const uint8_t* bytesAt(ByteCursor& cursor, uint64_t offset, uint64_t count) {
    if (!hasBytes(cursor, offset, count) || (count == 0 && cursor.size == 0)) {
        cursor.failed = true;
        return nullptr;
    }
    return cursor.data + offset;
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
