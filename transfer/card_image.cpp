#include "transfer/card_image.h"

#include <cmath>
#include <cstring>

#include "import/resample.h"
#include "import/sample_processing.h"

namespace {

constexpr uint32_t kDirectoryOffset = 32;
constexpr uint32_t kDirectoryEntryBytes = 16;

// The bytes the instrument checks at the start of every card: the signature,
// then two fixed bytes, then the format. They are data, not text.
constexpr uint8_t kCardSignature[4] = {0x4B, 0x4F, 0x52, 0x47};
constexpr uint8_t kCardFixedBytes[2] = {0x02, 0xFF};
constexpr uint8_t kCardFormat[10] = {0x2E, 0x56, 0x4F, 0x58, 0x70, 0x61, 0x6E, 0x64, 0x65, 0x64};

// Every write is checked against the image: one that would pass the end is
// skipped and marks the image as overflowing, so data that does not fit
// always ends in BufferTooSmall, never in a partial image.
struct ImageWriter {
    uint8_t* image;
    uint32_t size;
    bool overflow;
};

void putByte(ImageWriter& w, uint64_t offset, uint8_t value) {
    if (offset < w.size)
        w.image[offset] = value;
    else
        w.overflow = true;
}

void putBE16(ImageWriter& w, uint64_t offset, uint32_t value) {
    putByte(w, offset, static_cast<uint8_t>(value >> 8));
    putByte(w, offset + 1, static_cast<uint8_t>(value));
}

void putBytes(ImageWriter& w, uint64_t offset, const uint8_t* bytes, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) putByte(w, offset + i, bytes[i]);
}

// min(width, length) bytes of the text, the rest of the width filled.
void putFixedField(ImageWriter& w, uint64_t offset, uint32_t width, const NameBuffer& text, uint8_t fill) {
    uint32_t length = text.length < width ? text.length : width;
    putBytes(w, offset, reinterpret_cast<const uint8_t*>(text.units), length);
    for (uint32_t i = length; i < width; ++i) putByte(w, offset + i, fill);
}

}  // namespace

// The byte of a level 128 - 128 * sample, truncated toward zero. -1.0 gives
// 256: saturate instead of wrapping round to the loudest positive value.
static uint8_t byteOfLevel(double level) {
    if (level <= 0.0) return 0x00;
    if (level >= 255.0) return 0xFF;
    return static_cast<uint8_t>(static_cast<int>(level));
}

uint8_t cardSampleByte(float sample) {
    if (std::isnan(sample)) return 0x80;
    // In double the difference is exact for every sample that matters.
    return byteOfLevel(128.0 - 128.0 * static_cast<double>(sample));
}

// Any value but 0 serves; this one is fixed so that the card's bytes are.
constexpr uint32_t kCardDitherSeed = 0x6C078965u;

CardDither startCardDither() { return {kCardDitherSeed}; }

// Marsaglia's xorshift: the same numbers on every system.
static uint32_t nextRandom(CardDither& dither) {
    uint32_t s = dither.state;
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    dither.state = s;
    return s;
}

// Uniform in [0, 1) from the top 24 bits: exact in double.
static double uniformStep(CardDither& dither) { return double(nextRandom(dither) >> 8) * (1.0 / 16777216.0); }

uint8_t ditheredCardByte(float sample, CardDither& dither) {
    // Both values are drawn for every sample, so that the sequence stays in step.
    double rise = uniformStep(dither);
    double fall = uniformStep(dither);
    if (std::isnan(sample)) return 0x80;
    // Rounded, not truncated: the noise averages to the level itself, so a
    // fade into digital silence ends centred on 0x80, as the padding after it.
    return byteOfLevel(128.0 - 128.0 * static_cast<double>(sample) + 0.5 + (rise - fall));
}

uint32_t cardSoundLength(const Instrument& instrument) {
    PlayedSpan played = playedSpan(instrument);
    uint32_t span = played.end - played.start;
    return instrument.downsample ? static_cast<uint32_t>(uint64_t(span) * kTuneZeroSampleRate / kWorkingSampleRate)
                                 : span;
}

float cardByteSample(uint8_t byte) { return static_cast<float>(128 - int(byte)) / 128.0f; }

ErrorCode prepareCardSamples(const Instrument& instrument, SampleBuffer& output) {
    PlayedSpan played = playedSpan(instrument);
    uint32_t b = played.start;
    uint32_t span = played.end - played.start;
    uint32_t cardLength = cardSoundLength(instrument);
    uint32_t padded = static_cast<uint32_t>(roundUpToBlock(cardLength));
    ErrorCode code = resizeBuffer(output, padded);
    if (failed(code)) return code;
    if (instrument.downsample) {
        if (span > 0) {
            code = resample(instrument.samples.data + b, span, kWorkingSampleRate, output.data, padded,
                            kTuneZeroSampleRate);
            if (failed(code)) return code;
        }
    } else if (span > 0) {
        memcpy(output.data, instrument.samples.data + b, sizeof(float) * span);
    }
    for (uint32_t i = cardLength; i < padded; ++i) output.data[i] = 0.0f;
    if (instrument.boost != 0) applyBoost(output.data, padded, static_cast<float>(instrument.boost));
    return ErrorCode::Ok;
}

ErrorCode buildCardImage(const CardDocument& document, uint8_t* image, uint32_t size, bool dither) {
    if (size < kCardCapacity || !image) return ErrorCode::BufferTooSmall;
    ImageWriter w = {image, size, false};

    putBytes(w, 0, kCardSignature, sizeof kCardSignature);
    putBytes(w, 4, kCardFixedBytes, sizeof kCardFixedBytes);
    putBytes(w, 6, kCardFormat, sizeof kCardFormat);
    putBE16(w, 16, document.cardCode);
    putByte(w, 18, static_cast<uint8_t>(document.instruments.count));
    putByte(w, 19, 0);
    putByte(w, 20, 0);
    putByte(w, 21, 0);
    putFixedField(w, 22, 8, document.name, 0xFF);
    putByte(w, 30, 0xFF);
    putByte(w, 31, 0xFF);

    uint64_t data = kCardHeaderBytes;
    uint64_t entry = kDirectoryOffset;
    SampleBuffer prepared = {};
    for (uint32_t i = 0; i < document.instruments.count; ++i) {
        const Instrument& instrument = document.instruments.items[i];
        ErrorCode code = prepareCardSamples(instrument, prepared);
        if (failed(code)) {
            releaseBuffer(prepared);
            return code;
        }
        uint32_t m = prepared.count;
        putBE16(w, entry, uint32_t(instrument.decay) * 256);
        putBE16(w, entry + 2, static_cast<uint32_t>((data + m) / 4));
        putBE16(w, entry + 4, static_cast<uint32_t>(data + 1));
        putFixedField(w, entry + 6, 8, instrument.name, 0x20);
        putByte(w, entry + 14, 0xFF);
        putByte(w, entry + 15, 0xFF);
        entry += kDirectoryEntryBytes;

        if (data + m <= size) {
            uint8_t* bytes = image + data;
            uint32_t k = 0;
            if (dither) {
                CardDither noise = startCardDither();
                for (uint32_t sound = cardSoundLength(instrument); k < sound; ++k)
                    bytes[k] = ditheredCardByte(prepared.data[k], noise);
            }
            for (; k < m; ++k) bytes[k] = cardSampleByte(prepared.data[k]);
        } else {
            w.overflow = true;
        }
        data += m;
        if (instrumentFootprint(instrument) > m) {
            // The decay runs on past the sample: a block of silence behind it.
            if (data + kCardBlockBytes <= size)
                memset(image + data, 0x80, kCardBlockBytes);
            else
                w.overflow = true;
            data += kCardBlockBytes;
        }
    }
    releaseBuffer(prepared);

    for (uint32_t slot = document.instruments.count; slot < kMaxInstruments; ++slot) {
        for (uint32_t k = 0; k < 6; ++k) putByte(w, entry + k, 0x00);
        for (uint32_t k = 6; k < 14; ++k) putByte(w, entry + k, 0x20);
        putByte(w, entry + 14, 0xFF);
        putByte(w, entry + 15, 0xFF);
        entry += kDirectoryEntryBytes;
    }
    if (w.overflow) return ErrorCode::BufferTooSmall;
    memset(image + entry, 0xFF, kCardHeaderBytes - entry);
    if (data < size) memset(image + data, 0xFF, size - data);
    return ErrorCode::Ok;
}
