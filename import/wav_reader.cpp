#include "import/wav_reader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/file_cursor.h"
#include "import/chunk_walk.h"
#include "import/sample_encoding.h"

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatALaw = 6;
constexpr uint16_t kFormatMuLaw = 7;
constexpr uint16_t kFormatExtensible = 0xFFFE;

// The KSDATAFORMAT_SUBTYPE GUIDs after their first two bytes (the format tag).
const uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct WavFormat {
    SampleEncoding encoding;
    uint32_t bytesPerSample;
};

ErrorCode readFormatChunk(ByteCursor& cursor, const Chunk& chunk, DecodedSample& decoded, WavFormat& format) {
    uint64_t at = chunk.dataStart;
    uint16_t tag = readU16LE(cursor, at);
    decoded.channels = readU16LE(cursor, at + 2);
    decoded.sampleRate = readU32LE(cursor, at + 4);
    uint16_t bits = readU16LE(cursor, at + 14);
    // sox and most recording programs write 24-bit, 32-bit and multichannel
    // files as WAVE_FORMAT_EXTENSIBLE; its sub-format names the real tag.
    if (tag == kFormatExtensible && chunk.size >= 40) {
        // The sub-format first: the tail's address holds only until the next read.
        uint16_t subFormat = readU16LE(cursor, at + 24);
        const uint8_t* tail = bytesAt(cursor, at + 26, sizeof kSubFormatTail);
        if (tail && memcmp(tail, kSubFormatTail, sizeof kSubFormatTail) == 0 &&
            (subFormat == kFormatPcm || subFormat == kFormatFloat))
            tag = subFormat;
    }
    format.bytesPerSample = (bits + 7u) >> 3;
    switch (tag) {
    case kFormatPcm:
        switch (format.bytesPerSample) {
        case 1: format.encoding = SampleEncoding::U8; break;
        case 2: format.encoding = SampleEncoding::S16LE; break;
        case 3: format.encoding = SampleEncoding::S24LE; break;
        case 4: format.encoding = SampleEncoding::S32LE; break;
        default: format.encoding = SampleEncoding::None; break;
        }
        return ErrorCode::Ok;
    case kFormatFloat:
        if (format.bytesPerSample == 4) format.encoding = SampleEncoding::F32LE;
        if (format.bytesPerSample == 8) format.encoding = SampleEncoding::F64LE;
        return ErrorCode::Ok;
    case kFormatALaw: format.encoding = SampleEncoding::ALaw; return ErrorCode::Ok;
    case kFormatMuLaw: format.encoding = SampleEncoding::MuLaw; return ErrorCode::Ok;
    default: return ErrorCode::UnsupportedEncoding;  // ADPCM, MP3 and the like: a WAV all the same
    }
}

// Locates the chunk's samples. Only the last "data" chunk's samples are
// kept, but the peak is that of them all (each chunk's decoded samples used
// to overwrite the previous ones from the start, the peak going on).
ErrorCode readDataChunk(ByteCursor& cursor, const Chunk& chunk, DecodedSample& decoded, const WavFormat& format,
                        SampleRun& run) {
    if (decoded.channels == 0 || decoded.sampleRate == 0 || format.bytesPerSample == 0)
        return ErrorCode::InvalidFormat;
    if (format.encoding == SampleEncoding::None) return ErrorCode::UnsupportedEncoding;  // 40-bit PCM, 16-bit float
    uint32_t perOutput = decoded.mixToMono ? decoded.channels : 1;
    uint32_t frames = chunk.size / format.bytesPerSample / perOutput;
    // A chunk that claims more samples than the file holds ends as truncated;
    // finding that out first keeps a lying size from becoming a huge allocation.
    if (!hasBytes(cursor, chunk.dataStart, uint64_t(frames) * perOutput * encodingBytes(format.encoding))) {
        cursor.failed = true;
        return ErrorCode::BufferTooSmall;
    }
    if (run.outputs) {
        float earlier = 0.0f;
        ErrorCode code = runPeak(cursor, run, earlier);
        if (failed(code)) return code;
        decoded.peak = joinPeaks(decoded.peak, earlier);
    }
    run = {chunk.dataStart, frames, perOutput, format.encoding};
    if (decoded.mixToMono) decoded.channels = 1;
    return ErrorCode::Ok;
}

ErrorCode readSamplerChunk(ByteCursor& cursor, const Chunk& chunk, DecodedSample& decoded) {
    uint64_t at = chunk.dataStart;
    uint32_t unityNote = readU32LE(cursor, at + 12);
    uint32_t pitchFraction = readU32LE(cursor, at + 16);
    uint32_t loopCount = readU32LE(cursor, at + 28);
    uint32_t samplerBytes = readU32LE(cursor, at + 32);
    if (chunk.size != 36 + 24ull * loopCount + samplerBytes) return ErrorCode::Ok;  // malformed: skipped
    // The size only agrees with the counts: before the loops are given room,
    // the file must hold them, or a 60-byte file asks for gigabytes.
    if (!hasBytes(cursor, at + 36, 24ull * loopCount + samplerBytes)) {
        cursor.failed = true;
        return ErrorCode::Ok;  // the cursor's flag reports the cut
    }
    decoded.hasSampler = 1;
    decoded.unityNote = static_cast<uint8_t>(unityNote);
    decoded.pitchFraction = pitchFraction;
    WavLoopList& loops = decoded.loops;
    if (loopCount > loops.capacity) {
        auto* items = static_cast<WavLoop*>(realloc(loops.items, sizeof(WavLoop) * loopCount));
        if (!items) return ErrorCode::OutOfMemory;
        loops.items = items;
        loops.capacity = loopCount;
    }
    loops.count = loopCount;
    uint64_t loopAt = at + 36;
    for (uint32_t i = 0; i < loopCount; ++i, loopAt += 24) {
        WavLoop& loop = loops.items[i];
        loop.cuePointId = readU32LE(cursor, loopAt);
        loop.type = readU32LE(cursor, loopAt + 4);
        loop.start = readU32LE(cursor, loopAt + 8);
        loop.end = readU32LE(cursor, loopAt + 12);
        loop.fraction = readU32LE(cursor, loopAt + 16);
        loop.playCount = readU32LE(cursor, loopAt + 20);
    }
    const uint8_t* bytes = bytesAt(cursor, loopAt, samplerBytes);
    if (!bytes) return ErrorCode::Ok;  // the cursor's flag reports the cut
    ErrorCode code = resizeBuffer(decoded.samplerData, samplerBytes);
    if (failed(code)) return code;
    if (samplerBytes) memcpy(decoded.samplerData.data, bytes, samplerBytes);
    return ErrorCode::Ok;
}

}  // namespace

ErrorCode scanWav(DecodedSample& decoded, ByteCursor& cursor, SampleRun& run) {
    clearDecodedSample(decoded);
    run = {};
    const uint8_t* riff = bytesAt(cursor, 0, 4);
    if (!riff || memcmp(riff, "RIFF", 4) != 0) return ErrorCode::InvalidFormat;
    uint32_t riffSize = readU32LE(cursor, 4);
    if (cursor.size < 8 || riffSize > cursor.size - 8) return ErrorCode::InvalidFormat;
    const uint8_t* wave = bytesAt(cursor, 8, 4);
    if (!wave || memcmp(wave, "WAVE", 4) != 0) return ErrorCode::InvalidFormat;

    ChunkWalk walk = {12, riffSize < 13 ? 0 : riffSize, false};
    WavFormat format = {SampleEncoding::None, 0};
    Chunk chunk;
    for (;;) {
        if (walk.offset < walk.formSize && cursor.failed) return ErrorCode::BufferTooSmall;
        if (!nextChunk(cursor, walk, chunk)) break;
        ErrorCode code = ErrorCode::Ok;
        if (chunkIs(chunk, "fmt "))
            code = readFormatChunk(cursor, chunk, decoded, format);
        else if (chunkIs(chunk, "data"))
            code = readDataChunk(cursor, chunk, decoded, format, run);
        else if (chunkIs(chunk, "smpl"))
            code = readSamplerChunk(cursor, chunk, decoded);
        if (failed(code)) return code;
    }
    if (cursor.failed) return ErrorCode::BufferTooSmall;
    // A format chunk behind the samples can still set the rate to 0, which
    // no conversion can start from.
    if (run.outputs && decoded.sampleRate == 0) return ErrorCode::InvalidFormat;
    return ErrorCode::Ok;
}

ErrorCode decodeWav(DecodedSample& decoded, ByteCursor& cursor) {
    SampleRun run;
    ErrorCode code = scanWav(decoded, cursor, run);
    float peak = 0.0f;
    if (!failed(code) && run.outputs) code = decodeRun(cursor, run, decoded.samples, peak);
    decoded.peak = joinPeaks(decoded.peak, peak);
    return code;
}

ErrorCode parseWav(DecodedSample& decoded, const uint8_t* data, uint32_t size) {
    ByteCursor cursor = makeCursor(data, size);
    return decodeWav(decoded, cursor);
}

ErrorCode readWav(DecodedSample& decoded, Utf8View path) {
    FileCursor file;
    ErrorCode code = openFileCursor(path, decoded.maxFileSize, kSampleBlockBytes, file);
    if (!failed(code)) code = fileCursorResult(file, decodeWav(decoded, file.cursor));
    closeFileCursor(file);
    return code;
}
