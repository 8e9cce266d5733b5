#include "import/sample_run.h"

uint32_t runBlockOutputs(const SampleRun& run) {
    uint64_t outputBytes = uint64_t(run.channelsPerOutput) * encodingBytes(run.encoding);
    uint64_t outputs = outputBytes ? kSampleBlockBytes / outputBytes : 0;
    return outputs ? static_cast<uint32_t>(outputs) : 1;
}

ErrorCode decodeRunBlock(ByteCursor& cursor, const SampleRun& run, uint32_t first, uint32_t count, float* out,
                         float& peak) {
    uint64_t outputBytes = uint64_t(run.channelsPerOutput) * encodingBytes(run.encoding);
    const uint8_t* in = bytesAt(cursor, run.offset + first * outputBytes, count * outputBytes);
    if (!in) return ErrorCode::BufferTooSmall;
    peak = decodeBlock(in, run.encoding, run.channelsPerOutput, out, count);
    return ErrorCode::Ok;
}

ErrorCode decodeRun(ByteCursor& cursor, const SampleRun& run, SampleBuffer& samples, float& peak) {
    peak = 0.0f;
    ErrorCode code = resizeBuffer(samples, run.outputs);
    const uint32_t block = runBlockOutputs(run);
    for (uint32_t first = 0; first < run.outputs && !failed(code); first += block) {
        uint32_t count = run.outputs - first < block ? run.outputs - first : block;
        float blockPeak = 0.0f;
        code = decodeRunBlock(cursor, run, first, count, samples.data + first, blockPeak);
        peak = joinPeaks(peak, blockPeak);
    }
    return code;
}

ErrorCode runPeak(ByteCursor& cursor, const SampleRun& run, float& peak) {
    peak = 0.0f;
    float values[1024];
    const uint32_t block = runBlockOutputs(run) < 1024 ? runBlockOutputs(run) : 1024;
    ErrorCode code = ErrorCode::Ok;
    for (uint32_t first = 0; first < run.outputs && !failed(code); first += block) {
        uint32_t count = run.outputs - first < block ? run.outputs - first : block;
        float blockPeak = 0.0f;
        code = decodeRunBlock(cursor, run, first, count, values, blockPeak);
        peak = joinPeaks(peak, blockPeak);
    }
    return code;
}
