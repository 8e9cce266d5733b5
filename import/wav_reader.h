#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"
#include "import/decoded_sample.h"
#include "import/sample_run.h"

// The readers of a RIFF/WAVE file. The caller has set maxFileSize and
// mixToMono; everything else is cleared and filled.

// Reads everything but the samples, which it locates in `run` (no outputs
// when the file has none). The peak is that of any earlier "data" chunks.
ErrorCode scanWav(DecodedSample& decoded, ByteCursor& cursor, SampleRun& run);

// The scan, then the samples decoded into decoded.samples.
ErrorCode decodeWav(DecodedSample& decoded, ByteCursor& cursor);

// A whole file held in memory.
ErrorCode parseWav(DecodedSample& decoded, const uint8_t* data, uint32_t size);

// The file at `path` (at most maxFileSize bytes), read in blocks.
ErrorCode readWav(DecodedSample& decoded, Utf8View path);
