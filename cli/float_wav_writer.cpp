#include "cli/float_wav_writer.h"

#include <cstring>

#include "core/file_io.h"
#include "core/growable_buffers.h"

static uint8_t* putU16(uint8_t* out, uint16_t v) {
    out[0] = uint8_t(v);
    out[1] = uint8_t(v >> 8);
    return out + 2;
}

static uint8_t* putU32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = uint8_t(v >> (8 * i));
    return out + 4;
}

ErrorCode writeFloatWav(Utf8View path, const float* samples, uint32_t count, uint32_t sampleRate) {
    // A float WAV has the 18-byte fmt chunk (with its extension size, 0) and a
    // fact chunk with the frame count; readers warn about files without them.
    constexpr uint32_t kHeaderBytes = 58;
    uint64_t dataBytes = uint64_t(count) * 4;
    if (kHeaderBytes + dataBytes > UINT32_MAX) return ErrorCode::TooLarge;
    ByteBuffer file = {};
    ErrorCode code = resizeBuffer(file, uint32_t(kHeaderBytes + dataBytes));
    if (failed(code)) return code;
    uint8_t* out = file.data;
    memcpy(out, "RIFF", 4);
    out = putU32(out + 4, uint32_t(kHeaderBytes - 8 + dataBytes));
    memcpy(out, "WAVEfmt ", 8);
    out = putU32(out + 8, 18);
    out = putU16(out, 3);  // IEEE float
    out = putU16(out, 1);
    out = putU32(out, sampleRate);
    out = putU32(out, sampleRate * 4);
    out = putU16(out, 4);
    out = putU16(out, 32);
    out = putU16(out, 0);
    memcpy(out, "fact", 4);
    out = putU32(out + 4, 4);
    out = putU32(out, count);
    memcpy(out, "data", 4);
    out = putU32(out + 4, uint32_t(dataBytes));
    if (dataBytes) memcpy(out, samples, size_t(dataBytes));  // little-endian floats as they are
    code = writeWholeFile(path, file.data, file.count);
    releaseBuffer(file);
    return code;
}
