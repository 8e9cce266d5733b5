#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cardfile/card_file.h"
#include "import/aiff_reader.h"
#include "import/wav_reader.h"
#include "test_files.h"

// Bad input never crashes: real files, damaged at random (bytes changed,
// sizes bent, the end cut off), go through every reader. The sanitizer build
// turns any read or write out of bounds into a failure here.

namespace {

std::vector<uint8_t> fixtureBytes(const char* name) {
    return readFileBytes(std::string(CORVANE_FIXTURES_DIR) + "/" + name);
}

template <typename Reader>
void damageAndRead(std::vector<uint8_t> original, Reader read, uint32_t randomStart) {
    ASSERT_FALSE(original.empty());
    std::mt19937 random(randomStart);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = original;
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
        read(bytes);
    }
}

}  // namespace

// Decodes the bytes with one of the sample readers, mixed to mono or not.
template <ErrorCode (*Parse)(DecodedSample&, const uint8_t*, uint32_t)>
void decode(const std::vector<uint8_t>& bytes, uint8_t mixToMono) {
    DecodedSample decoded = {};
    decoded.maxFileSize = kMaxSampleFileSize;
    decoded.mixToMono = mixToMono;
    Parse(decoded, bytes.data(), uint32_t(bytes.size()));
    releaseDecodedSample(decoded);
}

TEST(DamagedFiles, ReadersNeverCrash) {
    for (const char* name : {"wav_s16_stereo.wav", "wav_s24_stereo_extensible.wav", "wav_ulaw_6ch.wav"})
        damageAndRead(fixtureBytes(name), [](const std::vector<uint8_t>& b) { decode<parseWav>(b, 1); }, 1);
    for (const char* name : {"aiff_s16_stereo.aiff", "aifc_sowt_s16_stereo.aifc", "aifc_fl64_mono.aifc"})
        damageAndRead(fixtureBytes(name), [](const std::vector<uint8_t>& b) { decode<parseAiff>(b, 0); }, 2);
}

TEST(DamagedFiles, CardFileReaderNeverCrashes) {
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
    damageAndRead(readFileBytes(path), [](const std::vector<uint8_t>& damaged) {
        CardDocument fresh = {};
        resetDocument(fresh);
        parseCardFile(damaged.data(), uint32_t(damaged.size()), fresh);
        // whatever was read keeps start <= end <= samples
        for (uint32_t i = 0; i < fresh.instruments.count; ++i) {
            const Instrument& in = fresh.instruments.items[i];
            ASSERT_LE(in.start, in.end);
            ASSERT_LE(in.end, in.samples.count == 0 ? in.end : in.samples.count);
        }
        releaseDocument(fresh);
    }, 3);
}
