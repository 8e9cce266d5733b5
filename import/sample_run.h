#pragma once
#include <cstdint>

#include "core/byte_cursor.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "import/sample_encoding.h"

// Where a reader found a file's samples. They are decoded in blocks, so
// neither the stored bytes nor the decoded floats have to sit whole in memory.
struct SampleRun {
    uint64_t offset;             // of the first stored sample
    uint32_t outputs;            // decoded samples: frames when mixed to mono
    uint32_t channelsPerOutput;  // stored samples averaged into each output
    SampleEncoding encoding;
};

// Stored bytes per block: a file is read in blocks of this size.
constexpr uint32_t kSampleBlockBytes = 512u * 1024;

// How many outputs one block decodes (at least one).
uint32_t runBlockOutputs(const SampleRun& run);

// Decodes outputs [first, first + count) into `out` and gives their peak.
// BufferTooSmall when their bytes cannot all be read.
ErrorCode decodeRunBlock(ByteCursor& cursor, const SampleRun& run, uint32_t first, uint32_t count, float* out,
                         float& peak);

// Decodes the whole run into `samples`, sized to it once, and gives its peak.
ErrorCode decodeRun(ByteCursor& cursor, const SampleRun& run, SampleBuffer& samples, float& peak);

// The peak of the run alone, decoded through a small buffer.
ErrorCode runPeak(ByteCursor& cursor, const SampleRun& run, float& peak);

// Peaks of consecutive stretches joined: a larger magnitude replaces the
// peak, so of equal ones the first stays.
inline float joinPeaks(float earlier, float later) {
    float a = earlier < 0 ? -earlier : earlier, b = later < 0 ? -later : later;
    return b > a ? later : earlier;
}
