#pragma once
#include <cstdint>

#include "core/byte_cursor.h"

// The chunk walk that WAV (little-endian sizes) and AIFF (big-endian sizes) share.
struct Chunk {
    char id[4];
    uint32_t size;
    uint64_t dataStart;
};

struct ChunkWalk {
    uint64_t offset;     // of the next chunk
    uint32_t formSize;   // the walk runs while the offset is below this
    bool bigEndian;
};

// Reads the chunk at the walk's offset and moves the walk past it. False when
// the walk is over. An odd-sized chunk is followed by a pad byte only when that
// byte is 0 (some writers leave the pad out); a pad position beyond the data
// marks the cursor failed.
bool nextChunk(ByteCursor& cursor, ChunkWalk& walk, Chunk& chunk);

inline bool chunkIs(const Chunk& chunk, const char (&id)[5]) {
    return chunk.id[0] == id[0] && chunk.id[1] == id[1] && chunk.id[2] == id[2] && chunk.id[3] == id[3];
}
