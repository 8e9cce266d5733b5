#include "import/chunk_walk.h"

#include <cstring>

bool nextChunk(ByteCursor& cursor, ChunkWalk& walk, Chunk& chunk) {
    if (walk.offset >= walk.formSize) return false;
    const uint8_t* id = bytesAt(cursor, walk.offset, 4);
    if (id) memcpy(chunk.id, id, 4); else memset(chunk.id, 0, 4);
    chunk.size = walk.bigEndian ? readU32BE(cursor, walk.offset + 4) : readU32LE(cursor, walk.offset + 4);
    chunk.dataStart = walk.offset + 8;
    uint64_t next = chunk.dataStart + chunk.size;
    if (chunk.size & 1) {
        if (next < cursor.size) {
            if (readU8(cursor, next) == 0) ++next;
        } else {
            cursor.failed = true;
            ++next;
        }
    }
    walk.offset = next;
    return true;
}
