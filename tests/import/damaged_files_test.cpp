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

// Bad input never crashes: real files, damaged at random (bytes changed, the
// end cut off), go through every reader, and each ends in one of the codes
// its reader documents or in a result that holds together. The sanitizer
// build turns any read or write out of bounds into a failure too.

namespace {

using namespace sample_files;

template <typename Reader>
void damageAndRead(const Bytes& original, Reader read, uint32_t randomStart) {
    ASSERT_FALSE(original.empty());
    std::mt19937 random(randomStart);
    for (int round = 0; round < 400 && !testing::Test::HasFatalFailure(); ++round) {
        Bytes bytes = original;
        for (int changes = 1 + int(random() % 8); changes > 0; --changes) {
            size_t at = random() % bytes.size();
            uint32_t kind = random() % 3;
            bytes[at] = kind == 0 ? uint8_t(random()) : kind == 1 ? 0xFF : 0x00;
        }
        if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
        SCOPED_TRACE(testing::Message() << "round " << round);
        read(bytes, uint32_t(1 + random() % 64));
    }
}

// The bytes served to a cursor in small blocks, as a file is.
ErrorCode copyFromMemory(void* source, uint64_t offset, uint8_t* into, uint32_t count) {
    memcpy(into, static_cast<const uint8_t*>(source) + offset, count);
    return ErrorCode::Ok;
}

using Decode = ErrorCode (*)(DecodedSample&, ByteCursor&);

template <Parse P, Decode D, uint8_t mixToMono>
void checkDecoded(const Bytes& bytes, uint32_t blockBytes) {
    Decoded whole(P, bytes, mixToMono);
    const DecodedSample& s = whole.decoded;
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
    Decoded inBlocks(mixToMono, kMaxSampleFileSize, [&](DecodedSample& d) {
        ByteWindow window = {const_cast<uint8_t*>(bytes.data()), copyFromMemory, blockBytes, {}, 0, 0, ErrorCode::Ok};
        ByteCursor cursor = makeWindowCursor(window, uint32_t(bytes.size()));
        ErrorCode code = D(d, cursor);
        releaseWindow(window);
        return code;
    });
    const DecodedSample& b = inBlocks.decoded;
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
    for (const char* name : {"wav_s16_stereo.wav", "wav_s24_stereo_extensible.wav", "wav_ulaw_6ch.wav"})
        damageAndRead(readFileBytes(fixturePath(name)), checkDecoded<parseWav, decodeWav, 1>, 1);
    for (const char* name : {"aiff_s16_stereo.aiff", "aifc_sowt_s16_stereo.aifc", "aifc_fl64_mono.aifc"})
        damageAndRead(readFileBytes(fixturePath(name)), checkDecoded<parseAiff, decodeAiff, 0>, 2);
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
        for (uint32_t i = 0; i < fresh.instruments.count; ++i) {
            const Instrument& in = fresh.instruments.items[i];
            EXPECT_LE(in.start, in.end);
            EXPECT_LE(in.end, in.samples.count == 0 ? in.end : in.samples.count);
        }
        releaseDocument(fresh);
    }, 3);
}
