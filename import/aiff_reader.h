#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"
#include "import/decoded_sample.h"

// Decodes a whole AIFF or AIFC file held in memory. The caller has set
// maxFileSize and mixToMono; everything else is cleared and filled.
ErrorCode parseAiff(DecodedSample& decoded, const uint8_t* data, uint32_t size);

// Loads the file at `path` (at most maxFileSize bytes) and decodes it.
ErrorCode readAiff(DecodedSample& decoded, Utf8View path);

// The whole-number part of an 80-bit IEEE 754 extended value (big-endian
// exponent word, then 64 mantissa bits with an explicit integer bit), cut
// toward zero. False when it is negative or does not fit 32 bits.
bool extendedToU32(uint16_t exponentWord, uint64_t mantissa, uint32_t& value);
