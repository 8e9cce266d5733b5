#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"

// Files read piece by piece and written from several buffers, for data too
// large to hold twice: sample files and card-files. Paths are UTF-8; the
// Windows build hands them to the system as UTF-16.

struct ReadableFile {
    intptr_t handle;
    uint32_t size;
};

// Opens the file for reading. An empty path gives InvalidArgument, a folder
// CannotOpen, a file larger than `maxSize` TooLarge (closed again).
ErrorCode openReadableFile(Utf8View path, uint32_t maxSize, ReadableFile& file);

// Reads `count` bytes from `offset`. A file that ends before them (it shrank
// since it was opened) gives Incomplete.
ErrorCode readFileAt(const ReadableFile& file, uint64_t offset, uint8_t* into, uint32_t count);

void closeReadableFile(ReadableFile& file);

// One of the buffers a file is written from.
struct FilePiece {
    const void* data;
    uint32_t size;
};

// Saves the pieces, one after another, as the file at `path` without ever
// putting the old file at risk (safe_save.h): on failure it is left as it
// was. The card-file is saved through here.
ErrorCode writeFilePieces(Utf8View path, const FilePiece* pieces, uint32_t count);
