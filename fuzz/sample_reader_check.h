#pragma once
#include <cstddef>
#include <cstdint>

#include "core/byte_cursor.h"
#include "import/decoded_sample.h"

// Runs one sample-file reader on the bytes twice: as a block in memory and
// the way a file is read (a window refilled in small blocks), and requires
// both to agree to the bit. What each reading holds is watched.
using ReaderOnCursor = ErrorCode (*)(DecodedSample& decoded, ByteCursor& cursor);
void checkSampleReader(ReaderOnCursor read, const uint8_t* data, size_t size);
