#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "cardfile/card_file.h"
#include "import/aiff_reader.h"
#include "import/sample_files.h"
#include "import/wav_reader.h"
#include "test_files.h"

// Bad input never crashes: real files, damaged at random (bytes changed,
// sizes bent, the end cut off), go through every reader. Each ends in one of
// the codes its reader documents, or in a result that holds together; the
// sanitizer build also turns any read or write out of bounds into a failure.

namespace {

using sample_files::Bytes;

Bytes fixtureBytes(const char* name) { return readFileBytes(sample_files::fixturePath(name)); }

template <typename Reader>
void damageAndRead(Bytes original, Reader read, uint32_t randomStart) {
    ASSERT_FALSE(original.empty());
    std::mt19937 random(randomStart);
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = original;
        int changes = 1 + int(random() % 8);
        for (int c = 0; c < changes; ++c) {
            size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = uint8_t(random()); break;
            case 1: bytes[at] = 0xFF; break;
            default: bytes[at] = 0x00; break;
            }
        }
        if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
        SCOPED_TRACE(testing::Message() << "round " << round);
        read(bytes, uint32_t(1 + random() % 64));
        if (testing::Test::HasFatalFailure()) return;
    }
}

// The bytes served to a cursor in small blocks, as a file is.
ErrorCode copyFromMemory(void* source, uint64_t offset, uint8_t* into, uint32_t count) {
    memcpy(into, static_cast<const uint8_t*>(source) + offset, count);
    return ErrorCode::Ok;
}

using Decode = ErrorCode (*)(DecodedSample&, ByteCursor&);

struct Decoded {
    DecodedSample sample = {};
    ErrorCode code;
    Decoded(Decode decode, const Bytes& bytes, uint8_t mixToMono, uint32_t blockBytes) {
        sample.maxFileSize = kMaxSampleFileSize;
        sample.mixToMono = mixToMono;
        ByteWindow window = {};
        window.source = const_cast<uint8_t*>(bytes.data());
        window.read = copyFromMemory;
        window.blockBytes = blockBytes;
        ByteCursor cursor = blockBytes ? makeWindowCursor(window, uint32_t(bytes.size()))
                                       : makeCursor(bytes.data(), uint32_t(bytes.size()));
        code = decode(sample, cursor);
        releaseWindow(window);
    }
    ~Decoded() { releaseDecodedSample(sample); }
};

void checkDecoded(Decode decode, const Bytes& bytes, uint8_t mixToMono, uint32_t blockBytes) {
    Decoded whole(decode, bytes, mixToMono, 0);
    const DecodedSample& s = whole.sample;
    ASSERT_TRUE(whole.code == ErrorCode::Ok || whole.code == ErrorCode::InvalidFormat ||
                whole.code == ErrorCode::BufferTooSmall)
        << "code " << uint32_t(whole.code);
    if (whole.code == ErrorCode::Ok) {
        // Every sample comes from at least one byte of the file.
        ASSERT_LE(s.samples.count, bytes.size());
        ASSERT_TRUE(s.samples.count == 0 || s.sampleRate != 0);
        for (uint32_t i = 0; i < s.samples.count; ++i) ASSERT_FALSE(std::fabs(s.samples.data[i]) > std::fabs(s.peak));
    }
    // Read in blocks of a few bytes, the same bytes give exactly the same.
    Decoded inBlocks(decode, bytes, mixToMono, blockBytes);
    const DecodedSample& b = inBlocks.sample;
    ASSERT_EQ(inBlocks.code, whole.code);
    ASSERT_EQ(b.samples.count, s.samples.count);
    ASSERT_TRUE(s.samples.count == 0 || memcmp(b.samples.data, s.samples.data, 4 * size_t(s.samples.count)) == 0);
    ASSERT_EQ(memcmp(&b.peak, &s.peak, sizeof s.peak), 0);
    ASSERT_EQ(std::tie(b.channels, b.sampleRate, b.loops.count, b.samplerData.count, b.hasInstrument,
                       b.sustainLoop.start, b.releaseLoop.end),
              std::tie(s.channels, s.sampleRate, s.loops.count, s.samplerData.count, s.hasInstrument,
                       s.sustainLoop.start, s.releaseLoop.end));
}

}  // namespace

TEST(DamagedFiles, ReadersEndInTheirCodesWholeOrInBlocks) {
    auto wav = [](const Bytes& b, uint32_t block) { checkDecoded(decodeWav, b, 1, block); };
    auto aiff = [](const Bytes& b, uint32_t block) { checkDecoded(decodeAiff, b, 0, block); };
    for (const char* name : {"wav_s16_stereo.wav", "wav_s24_stereo_extensible.wav", "wav_ulaw_6ch.wav"})
        damageAndRead(fixtureBytes(name), wav, 1);
    for (const char* name : {"aiff_s16_stereo.aiff", "aifc_sowt_s16_stereo.aifc", "aifc_fl64_mono.aifc"})
        damageAndRead(fixtureBytes(name), aiff, 2);
}

TEST(DamagedFiles, CardFileReaderEndsInItsCodes) {
    CardDocument document = {};
    resetDocument(document);
    for (int i = 0; i < 3; ++i) {
        Instrument* in = appendInstrument(document);
        resizeBuffer(in->samples, 50 + 10 * i);
        for (uint32_t k = 0; k < in->samples.count; ++k) in->samples.data[k] = 0.01f * k;
        in->end = in->samples.count;
    }
    ScratchFolder folder;
    std::string path = folder.file("three.vxcor");
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
    releaseDocument(document);
    damageAndRead(readFileBytes(path), [](const Bytes& damaged, uint32_t) {
        CardDocument fresh = {};
        resetDocument(fresh);
        ErrorCode code = parseCardFile(damaged.data(), uint32_t(damaged.size()), fresh);
        EXPECT_TRUE(code == ErrorCode::Ok || code == ErrorCode::InvalidFormat || code == ErrorCode::TooNew ||
                    code == ErrorCode::Incomplete)
            << "code " << uint32_t(code);
        // whatever was read keeps start <= end <= samples
        for (uint32_t i = 0; i < fresh.instruments.count; ++i) {
            const Instrument& in = fresh.instruments.items[i];
            EXPECT_LE(in.start, in.end);
            EXPECT_LE(in.end, in.samples.count == 0 ? in.end : in.samples.count);
        }
        releaseDocument(fresh);
    }, 3);
}
