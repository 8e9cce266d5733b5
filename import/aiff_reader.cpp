#include "import/aiff_reader.h"

#include <cmath>
#include <cstring>

#include "core/file_cursor.h"
#include "import/chunk_walk.h"
#include "import/sample_encoding.h"

namespace {

// The AIFC version 1 timestamp every "FVER" chunk must carry.
constexpr uint32_t kAifcVersion1 = 0xA2805140;

struct CompressionType {
    char id[5];
    SampleEncoding encoding;  // None: chosen by the sample size
    bool littleEndianBySize;
};

const CompressionType kCompressionTypes[] = {
    {"NONE", SampleEncoding::None, false},   {"twos", SampleEncoding::None, false},
    {"sowt", SampleEncoding::None, true},    {"raw ", SampleEncoding::U8, false},
    {"in24", SampleEncoding::S24BE, false},  {"in32", SampleEncoding::S32BE, false},
    {"42ni", SampleEncoding::S24LE, false},  {"23ni", SampleEncoding::S32LE, false},
    {"fl32", SampleEncoding::F32BE, false},  {"FL32", SampleEncoding::F32BE, false},
    {"fl64", SampleEncoding::F64BE, false},  {"FL64", SampleEncoding::F64BE, false},
    {"alaw", SampleEncoding::ALaw, false},   {"ALAW", SampleEncoding::ALaw, false},
    {"ulaw", SampleEncoding::MuLaw, false},  {"ULAW", SampleEncoding::MuLaw, false},
};

SampleEncoding integerEncoding(uint32_t bytesPerSample, bool littleEndian) {
    switch (bytesPerSample) {
    case 1: return SampleEncoding::S8;
    case 2: return littleEndian ? SampleEncoding::S16LE : SampleEncoding::S16BE;
    case 3: return littleEndian ? SampleEncoding::S24LE : SampleEncoding::S24BE;
    case 4: return littleEndian ? SampleEncoding::S32LE : SampleEncoding::S32BE;
    default: return SampleEncoding::None;
    }
}

struct AiffLayout {
    bool compressed;
    bool sawVersion;
    bool sawCommon;
    bool rateUsable;
    uint64_t totalSamples;
    SampleEncoding encoding;
    bool hasSound;
    uint64_t soundStart;
    bool hasMarkers;
    uint64_t markerStart;
    uint16_t markerCount;
    bool hasInstrument;
    uint64_t instrumentStart;
};

ErrorCode readCommonChunk(ByteCursor& cursor, const Chunk& chunk, DecodedSample& decoded, AiffLayout& layout) {
    uint64_t at = chunk.dataStart;
    decoded.channels = readU16BE(cursor, at);
    uint32_t frames = readU32BE(cursor, at + 2);
    uint16_t bits = readU16BE(cursor, at + 6);
    uint16_t exponentWord = readU16BE(cursor, at + 8);
    uint64_t mantissa = readU64BE(cursor, at + 10);
    layout.rateUsable = extendedToU32(exponentWord, mantissa, decoded.sampleRate);
    layout.totalSamples = uint64_t(decoded.channels) * frames;
    layout.sawCommon = true;
    uint32_t bytesPerSample = (bits + 7u) >> 3;
    if (!layout.compressed || chunk.size < 22) {
        layout.encoding = integerEncoding(bytesPerSample, false);
        return ErrorCode::Ok;
    }
    // A type the file ends in is no known type: refused at once, as a WAV
    // format tag that cannot be read is.
    const uint8_t* type = bytesAt(cursor, at + 18, 4);
    if (!type) return ErrorCode::InvalidFormat;
    for (const CompressionType& known : kCompressionTypes) {
        if (memcmp(type, known.id, 4) != 0) continue;
        layout.encoding = known.encoding != SampleEncoding::None
                              ? known.encoding
                              : integerEncoding(bytesPerSample, known.littleEndianBySize);
        return ErrorCode::Ok;
    }
    return ErrorCode::UnsupportedEncoding;  // IMA ADPCM, MACE and the like
}

// The position of the first marker with this id, examining at most the marker count.
bool findMarker(ByteCursor& cursor, const AiffLayout& layout, uint16_t id, uint32_t& position) {
    uint64_t at = layout.markerStart + 2;
    for (uint32_t i = 0; i < layout.markerCount && !cursor.failed; ++i) {
        uint16_t markerId = readU16BE(cursor, at);
        uint32_t markerPosition = readU32BE(cursor, at + 2);
        uint8_t textLength = readU8(cursor, at + 6);
        if (markerId == id && !cursor.failed) {
            position = markerPosition;
            return true;
        }
        at += 7 + textLength;
        if (at & 1) ++at;  // markers start at even offsets in the file
    }
    return false;
}

AiffLoop readLoop(ByteCursor& cursor, const AiffLayout& layout, uint64_t at) {
    int16_t playMode = static_cast<int16_t>(readU16BE(cursor, at));
    uint16_t beginId = readU16BE(cursor, at + 2);
    uint16_t endId = readU16BE(cursor, at + 4);
    AiffLoop loop = {};
    uint32_t begin = 0, end = 0;
    if (playMode != 0 && beginId != 0 && endId != 0 && findMarker(cursor, layout, beginId, begin) &&
        findMarker(cursor, layout, endId, end))
        loop = {static_cast<uint32_t>(static_cast<int32_t>(playMode)), begin, end};
    return loop;
}

void readInstrument(ByteCursor& cursor, const AiffLayout& layout, DecodedSample& decoded) {
    uint64_t at = layout.instrumentStart;
    uint8_t baseNote = readU8(cursor, at);
    decoded.detune = readU8(cursor, at + 1);
    uint8_t lowNote = readU8(cursor, at + 2);
    uint8_t highNote = readU8(cursor, at + 3);
    decoded.rootNote = baseNote ? baseNote : lowNote;
    decoded.highNote = decoded.rootNote > highNote ? static_cast<uint8_t>(decoded.rootNote + 11) : highNote;
    decoded.sustainLoop = readLoop(cursor, layout, at + 8);
    decoded.releaseLoop = readLoop(cursor, layout, at + 14);
    decoded.hasInstrument = cursor.failed ? 0 : 1;
}

}  // namespace

bool extendedToU32(uint16_t exponentWord, uint64_t mantissa, uint32_t& value) {
    value = 0;
    int32_t shift = int32_t(exponentWord & 0x7FFF) - 16383 - 63;
    uint64_t whole;
    if (shift >= 64) {
        if (mantissa != 0) return false;
        whole = 0;
    } else if (shift > 0) {
        if ((mantissa >> (64 - shift)) != 0) return false;
        whole = mantissa << shift;
    } else {
        whole = -shift >= 64 ? 0 : mantissa >> -shift;
    }
    if (whole > UINT32_MAX) return false;
    if ((exponentWord & 0x8000) && whole != 0) return false;
    value = static_cast<uint32_t>(whole);
    return true;
}

ErrorCode scanAiff(DecodedSample& decoded, ByteCursor& cursor, SampleRun& run) {
    clearDecodedSample(decoded);
    run = {};
    const uint8_t* form = bytesAt(cursor, 0, 4);
    if (!form || memcmp(form, "FORM", 4) != 0) return ErrorCode::InvalidFormat;
    uint32_t formSize = readU32BE(cursor, 4);
    if (cursor.size < 8 || formSize > cursor.size - 8) return ErrorCode::InvalidFormat;
    const uint8_t* type = bytesAt(cursor, 8, 4);
    AiffLayout layout = {};
    if (type && memcmp(type, "AIFC", 4) == 0)
        layout.compressed = true;
    else if (!type || memcmp(type, "AIFF", 4) != 0)
        return ErrorCode::InvalidFormat;

    ChunkWalk walk = {12, formSize, true};
    Chunk chunk;
    for (;;) {
        if (walk.offset < walk.formSize && cursor.failed) return ErrorCode::BufferTooSmall;
        if (!nextChunk(cursor, walk, chunk)) break;
        if (chunkIs(chunk, "FVER")) {
            if (!hasBytes(cursor, chunk.dataStart, 4) || readU32BE(cursor, chunk.dataStart) != kAifcVersion1)
                return ErrorCode::InvalidFormat;
            layout.sawVersion = true;
        } else if (chunkIs(chunk, "COMM")) {
            ErrorCode code = readCommonChunk(cursor, chunk, decoded, layout);
            if (failed(code)) return code;
        } else if (chunkIs(chunk, "SSND")) {
            layout.hasSound = true;
            layout.soundStart = chunk.dataStart;
        } else if (chunkIs(chunk, "MARK")) {
            layout.hasMarkers = true;
            layout.markerStart = chunk.dataStart;
            layout.markerCount = readU16BE(cursor, chunk.dataStart);
        } else if (chunkIs(chunk, "INST")) {
            layout.hasInstrument = true;
            layout.instrumentStart = chunk.dataStart;
        }
    }

    if (cursor.failed) return ErrorCode::BufferTooSmall;
    if (layout.encoding == SampleEncoding::None)
        return layout.sawCommon ? ErrorCode::UnsupportedEncoding : ErrorCode::InvalidFormat;
    if (layout.compressed && !layout.sawVersion) return ErrorCode::InvalidFormat;
    // A rate of 0, or one beyond 32 bits, cannot be converted to the working rate.
    if (!layout.rateUsable || decoded.sampleRate == 0) return ErrorCode::InvalidFormat;
    if (layout.totalSamples > 0 && !layout.hasSound) return ErrorCode::InvalidFormat;
    if (layout.hasSound && decoded.channels == 0) return ErrorCode::InvalidFormat;

    if (layout.hasSound) {
        uint64_t samplesAt = layout.soundStart + 8 + readU32BE(cursor, layout.soundStart);
        if (cursor.failed) return ErrorCode::BufferTooSmall;
        uint32_t perOutput = decoded.mixToMono ? decoded.channels : 1;
        uint64_t outputs = layout.totalSamples / perOutput;
        // No frames: nothing behind the offset field is read. Samples the
        // file cannot hold end as truncated, before anything is allocated.
        if (outputs > 0 && !hasBytes(cursor, samplesAt, outputs * perOutput * encodingBytes(layout.encoding)))
            return ErrorCode::BufferTooSmall;
        run = {samplesAt, static_cast<uint32_t>(outputs), perOutput, layout.encoding};
        if (decoded.mixToMono) decoded.channels = 1;
    }

    // Never fails the file: an instrument that cannot be read is left out.
    if (layout.hasInstrument && layout.hasMarkers) readInstrument(cursor, layout, decoded);
    return ErrorCode::Ok;
}

ErrorCode decodeAiff(DecodedSample& decoded, ByteCursor& cursor) {
    SampleRun run;
    ErrorCode code = scanAiff(decoded, cursor, run);
    if (!failed(code) && run.outputs) code = decodeRun(cursor, run, decoded.samples, decoded.peak);
    return code;
}

ErrorCode parseAiff(DecodedSample& decoded, const uint8_t* data, uint32_t size) {
    ByteCursor cursor = makeCursor(data, size);
    return decodeAiff(decoded, cursor);
}

ErrorCode readAiff(DecodedSample& decoded, Utf8View path) {
    FileCursor file;
    ErrorCode code = openFileCursor(path, decoded.maxFileSize, kSampleBlockBytes, file);
    if (!failed(code)) code = fileCursorResult(file, decodeAiff(decoded, file.cursor));
    closeFileCursor(file);
    return code;
}
