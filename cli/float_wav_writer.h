#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"

// Writes mono 32-bit float samples as a WAV file (format tag 3).
ErrorCode writeFloatWav(Utf8View path, const float* samples, uint32_t count, uint32_t sampleRate);
