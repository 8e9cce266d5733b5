#pragma once
#include <cstdint>

#include "core/byte_cursor.h"
#include "core/file_stream.h"

// A file read through a ByteCursor: what a parser asks for is read from the
// file in blocks into one reused buffer, so the file never sits whole in
// memory. The struct must stay where it is while it is open (the cursor
// points into it).
struct FileCursor {
    ReadableFile file;
    ByteWindow window;
    ByteCursor cursor;
};

// Opens the file (errors as openReadableFile) and makes its cursor.
ErrorCode openFileCursor(Utf8View path, uint32_t maxSize, uint32_t blockBytes, FileCursor& opened);

// The first read failure, if any, else `code`: bytes that were there but
// could not be read are not a damaged file.
ErrorCode fileCursorResult(const FileCursor& opened, ErrorCode code);

void closeFileCursor(FileCursor& opened);
