#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "core/text.h"

// Whole-file reads and writes (file_stream.h reads and writes in pieces).
// Paths are UTF-8; the Windows build hands them to the system as UTF-16.

// Reads the whole file into `contents` (which it sizes). A file larger than
// `maxSize` gives TooLarge without being read. An empty path gives InvalidArgument.
ErrorCode readWholeFile(Utf8View path, uint32_t maxSize, ByteBuffer& contents);

// Creates or replaces the file and writes the bytes with one write call.
ErrorCode writeWholeFile(Utf8View path, const uint8_t* data, uint32_t size);
