#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"
#include "import/decoded_sample.h"

// Decodes a whole RIFF/WAVE file held in memory. The caller has set
// maxFileSize and mixToMono; everything else is cleared and filled.
ErrorCode parseWav(DecodedSample& decoded, const uint8_t* data, uint32_t size);

// Loads the file at `path` (at most maxFileSize bytes) and decodes it.
ErrorCode readWav(DecodedSample& decoded, Utf8View path);
