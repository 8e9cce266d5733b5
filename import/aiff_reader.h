#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"
#include "import/decoded_sample.h"
#include "import/sample_run.h"

// The readers of an AIFF or AIFC file. The caller has set maxFileSize and
// mixToMono; everything else is cleared and filled.

// Reads everything but the samples, which it locates in `run` (no outputs
// when the file has none).
ErrorCode scanAiff(DecodedSample& decoded, ByteCursor& cursor, SampleRun& run);

// The scan, then the samples decoded into decoded.samples.
ErrorCode decodeAiff(DecodedSample& decoded, ByteCursor& cursor);

// A whole file held in memory.
ErrorCode parseAiff(DecodedSample& decoded, const uint8_t* data, uint32_t size);

// The file at `path` (at most maxFileSize bytes), read in blocks.
ErrorCode readAiff(DecodedSample& decoded, Utf8View path);

// The whole-number part of an 80-bit IEEE 754 extended value (big-endian
// exponent word, then 64 mantissa bits with an explicit integer bit), cut
// toward zero. False when it is negative or does not fit 32 bits.
bool extendedToU32(uint16_t exponentWord, uint64_t mantissa, uint32_t& value);
