#include "cardfile/card_file.h"

#include <cstdlib>
#include <cstring>

#include "core/file_cursor.h"
#include "core/file_stream.h"
#include "core/safe_save.h"

static const char kMagic[4] = {'c', 'v', 'n', 'e'};
static const char kTrailer[4] = {'e', 'n', 'v', 'c'};
constexpr uint16_t kDownsampleFlag = 2;

static uint8_t* putU16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    return out + 2;
}

static uint8_t* putU32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
    return out + 4;
}

// Eight bytes of name, blank padded, never terminated.
static uint8_t* putName(uint8_t* out, const NameBuffer& name) {
    uint32_t length = name.length < kNameCapacity ? name.length : kNameCapacity;
    memcpy(out, name.units, length);
    memset(out + length, ' ', kNameCapacity - length);
    return out + kNameCapacity;
}

static void readName(ByteCursor& cursor, uint64_t offset, NameBuffer& name) {
    const uint8_t* bytes = bytesAt(cursor, offset, kNameCapacity);
    name.length = 0;
    if (!bytes) return;
    uint32_t length = kNameCapacity;
    while (length > 0 && bytes[length - 1] == ' ') --length;
    memcpy(name.units, bytes, length);
    name.length = length;
}

ErrorCode parseCardFile(const uint8_t* data, uint32_t size, CardDocument& document) {
    ByteCursor cursor = makeCursor(data, size);
    return parseCardFile(cursor, document);
}

ErrorCode parseCardFile(ByteCursor& cursor, CardDocument& document) {
    const uint8_t* magic = bytesAt(cursor, 0, 4);
    if (!magic || memcmp(magic, kMagic, 4) != 0) return ErrorCode::InvalidFormat;
    if (!hasBytes(cursor, 4, 1) || readU8(cursor, 4) != kCardFileVersion) return ErrorCode::TooNew;

    uint8_t count = readU8(cursor, 5);
    document.cardCode = readU16LE(cursor, 6);
    readName(cursor, 10, document.name);
    document.headerFlag = (readU16LE(cursor, 18) & 1) != 0;
    if (cursor.failed || count > kMaxInstruments) return ErrorCode::InvalidFormat;

    clearInstruments(document);
    uint64_t at = kCardFileHeaderBytes;
    for (uint32_t i = 0; i < count; ++i) {
        Instrument* instrument = appendInstrument(document);
        if (!instrument) return ErrorCode::OutOfMemory;
        readName(cursor, at, instrument->name);
        instrument->downsample = (readU16LE(cursor, at + 8) & kDownsampleFlag) != 0;
        instrument->boost = clampBoost(readU8(cursor, at + 10));
        instrument->decay = clampDecay(readU8(cursor, at + 11));
        uint32_t start = readU32LE(cursor, at + 12);
        uint32_t end = readU32LE(cursor, at + 16);
        uint32_t sampleCount = readU32LE(cursor, at + 20);
        // More than any instrument may hold: no file of this program's.
        if (sampleCount > kMaxInstrumentSamples) return ErrorCode::TooLarge;
        PlayedSpan span = clampPlayedSpan(start, end, sampleCount);
        instrument->start = span.start;
        instrument->end = span.end;

        uint64_t samplesAt = at + kCardFileRecordBytes;
        uint64_t sampleBytes = 4ull * sampleCount;
        // Only size the array when the file really holds the samples: a
        // bogus count must not turn into a huge allocation. The raw bytes go
        // straight into it (both builds run on little-endian machines).
        if (hasBytes(cursor, samplesAt, sampleBytes)) {
            float* samples = nullptr;
            if (failed(makeSamples(instrument->samples, sampleCount, samples))) return ErrorCode::OutOfMemory;
            if (sampleCount) copyBytes(cursor, samplesAt, sampleBytes, reinterpret_cast<uint8_t*>(samples));
        } else {
            cursor.failed = true;
        }
        at = samplesAt + sampleBytes;
    }
    if (cursor.failed) return ErrorCode::InvalidFormat;

    // The trailer: up to four bytes, stopping at a zero byte, must read "envc".
    uint32_t matched = 0;
    while (matched < 4 && hasBytes(cursor, at + matched, 1)) {
        uint8_t byte = readU8(cursor, at + matched);
        if (byte == 0 || byte != static_cast<uint8_t>(kTrailer[matched])) break;
        ++matched;
    }
    if (matched != 4) return ErrorCode::Incomplete;
    return ErrorCode::Ok;
}

// The bytes of a record: name, flags, boost, decay, start, end, sample count, 16 zeros.
static void putRecord(uint8_t* out, const Instrument& instrument) {
    memset(out, 0, kCardFileRecordBytes);
    putName(out, instrument.name);
    putU16(out + 8, instrument.downsample ? kDownsampleFlag : 0);
    out[10] = instrument.boost;
    out[11] = instrument.decay;
    putU32(out + 12, instrument.start);
    putU32(out + 16, instrument.end);
    putU32(out + 20, instrument.samples.count);
}

ErrorCode writeCardFile(const CardDocument& document, Utf8View path) {
    return writeCardFile(document, path, systemSaveCalls());
}

ErrorCode writeCardFile(const CardDocument& document, Utf8View path, const SaveCalls& calls) {
    if (path.length == 0) return ErrorCode::InvalidArgument;
    const InstrumentArray& instruments = document.instruments;
    for (uint32_t i = 0; i < instruments.count; ++i)
        if (instruments.items[i].samples.count > kMaxInstrumentSamples) return ErrorCode::TooLarge;

    // Only the header, the records and the trailer are built here; the
    // samples are written from the instruments' own buffers, as their raw
    // bytes (both builds run on little-endian machines).
    uint32_t headBytes = kCardFileHeaderBytes + kCardFileRecordBytes * instruments.count + sizeof kTrailer;
    uint32_t pieceCount = 2 + 2 * instruments.count;
    ByteBuffer head = {};
    auto* pieces = static_cast<FilePiece*>(malloc(sizeof(FilePiece) * pieceCount));
    if (!pieces || failed(resizeBuffer(head, headBytes))) {
        free(pieces);
        releaseBuffer(head);
        return ErrorCode::BufferTooSmall;
    }
    uint8_t* out = head.data;
    memset(out, 0, kCardFileHeaderBytes);
    memcpy(out, kMagic, 4);
    out[4] = kCardFileVersion;
    out[5] = static_cast<uint8_t>(instruments.count);
    putU16(out + 6, document.cardCode);
    putName(out + 10, document.name);
    putU16(out + 18, document.headerFlag ? 1 : 0);
    uint32_t used = 0;
    pieces[used++] = {out, kCardFileHeaderBytes};
    out += kCardFileHeaderBytes;
    for (uint32_t i = 0; i < instruments.count; ++i) {
        const Instrument& instrument = instruments.items[i];
        putRecord(out, instrument);
        pieces[used++] = {out, kCardFileRecordBytes};
        pieces[used++] = {instrument.samples.data, 4 * instrument.samples.count};
        out += kCardFileRecordBytes;
    }
    memcpy(out, kTrailer, sizeof kTrailer);
    pieces[used++] = {out, sizeof kTrailer};

    ErrorCode code = saveFilePieces(calls, path, pieces, used);
    free(pieces);
    releaseBuffer(head);
    return code;
}

// The header and the records are read in blocks of this size; the samples
// go from the file straight into the instruments.
constexpr uint32_t kCardFileBlockBytes = 64 * 1024;

ErrorCode readCardFile(CardDocument& document, Utf8View path) {
    if (path.length == 0) return ErrorCode::InvalidArgument;
    FileCursor file;
    ErrorCode code = openFileCursor(path, uint32_t(kCardFileMaxSize), kCardFileBlockBytes, file);
    if (failed(code)) return code;
    code = fileCursorResult(file, parseCardFile(file.cursor, document));
    closeFileCursor(file);
    return code;
}
