#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cardfile/card_file.h"
#include "import/aiff_reader.h"
#include "import/sample_files.h"
#include "import/wav_reader.h"
#include "test_files.h"

// Real files, damaged at random (bytes changed, the end cut off), end in one
// of the codes their reader documents. The fuzz targets, with these files
// among their seeds, hold the readers to the rest: no read out of bounds,
// the same result whole or read in blocks, results that hold together.

namespace {

using namespace sample_files;

template <typename Read>
void damageAndRead(const Bytes& original, uint32_t randomStart, Read read) {
    ASSERT_FALSE(original.empty());
    std::mt19937 random(randomStart);
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = original;
        for (int changes = 1 + int(random() % 8); changes > 0; --changes) {
            size_t at = random() % bytes.size();
            uint32_t kind = random() % 3;
            bytes[at] = kind == 0 ? uint8_t(random()) : kind == 1 ? 0xFF : 0x00;
        }
        if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
        SCOPED_TRACE(testing::Message() << "round " << round);
        read(bytes);
    }
}

}  // namespace

TEST(DamagedFiles, SampleReadersEndInTheirCodes) {
    const char* const names[] = {"wav_s16_stereo.wav",   "wav_s24_stereo_extensible.wav", "wav_ulaw_6ch.wav",
                                 "aiff_s16_stereo.aiff", "aifc_sowt_s16_stereo.aifc",     "aifc_fl64_mono.aifc"};
    for (const char* name : names) {
        Parse parse = name[0] == 'w' ? parseWav : parseAiff;
        damageAndRead(readFileBytes(fixturePath(name)), 1, [parse](const Bytes& damaged) {
            for (uint8_t mixToMono : {0, 1}) {
                ErrorCode code = Decoded(parse, damaged, mixToMono).code;
                EXPECT_TRUE(code == ErrorCode::Ok || code == ErrorCode::InvalidFormat ||
                            code == ErrorCode::BufferTooSmall)
                    << "code " << uint32_t(code);
            }
        });
    }
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
    damageAndRead(readFileBytes(path), 3, [](const Bytes& damaged) {
        CardDocument fresh = {};
        resetDocument(fresh);
        ErrorCode code = parseCardFile(damaged.data(), uint32_t(damaged.size()), fresh);
        EXPECT_TRUE(code == ErrorCode::Ok || code == ErrorCode::InvalidFormat || code == ErrorCode::TooNew ||
                    code == ErrorCode::Incomplete)
            << "code " << uint32_t(code);
        // Whatever was read, on failure too, keeps start <= end <= samples.
        for (uint32_t i = 0; i < fresh.instruments.count; ++i) {
            const Instrument& in = fresh.instruments.items[i];
            EXPECT_LE(in.start, in.end);
            EXPECT_LE(in.end, in.samples.count == 0 ? in.end : in.samples.count);
        }
        releaseDocument(fresh);
    });
}
