#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "import/aiff_reader.h"
#include "import/import_sample.h"
#include "import/resample.h"
#include "import/wav_reader.h"
#include "import/sample_processing.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

void putU16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void putU32(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// A mono 32-bit float WAV, written from the RIFF layout.
Bytes floatWav(uint32_t rate, const std::vector<float>& samples) {
    Bytes b = {'R', 'I', 'F', 'F'};
    putU32(b, uint32_t(36 + 4 * samples.size()));
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(b, 16);
    putU16(b, 3);
    putU16(b, 1);
    putU32(b, rate);
    putU32(b, rate * 4);
    putU16(b, 4);
    putU16(b, 32);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    putU32(b, uint32_t(4 * samples.size()));
    for (float s : samples) {
        uint32_t bits;
        memcpy(&bits, &s, 4);
        putU32(b, bits);
    }
    return b;
}

// A plain AIFF of 16- or 24-bit big-endian samples, channels interleaved.
Bytes aiff(uint32_t rate, uint16_t channels, uint16_t bits, const std::vector<float>& samples) {
    auto be16 = [](Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); };
    auto be32 = [](Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}); };
    uint32_t bytes = bits / 8;
    Bytes b = {'F', 'O', 'R', 'M'};
    be32(b, uint32_t(4 + 26 + 16 + bytes * samples.size()));
    b.insert(b.end(), {'A', 'I', 'F', 'F', 'C', 'O', 'M', 'M'});
    be32(b, 18);
    be16(b, channels);
    be32(b, uint32_t(samples.size() / channels));
    be16(b, bits);
    // the rate as an 80-bit extended number: exponent 16383 + 31 - leading zeros
    int shift = 0;
    while (!((uint64_t(rate) << shift) & 0x80000000u)) ++shift;
    be16(b, uint16_t(16383 + 31 - shift));
    uint64_t mantissa = uint64_t(rate) << (32 + shift);
    be32(b, uint32_t(mantissa >> 32));
    be32(b, uint32_t(mantissa));
    b.insert(b.end(), {'S', 'S', 'N', 'D'});
    be32(b, uint32_t(8 + bytes * samples.size()));
    be32(b, 0);
    be32(b, 0);
    for (float s : samples) {
        uint32_t v = uint32_t(std::lround(s * float((1 << (bits - 1)) - 1)));
        for (uint32_t k = bytes; k-- > 0;) b.push_back(uint8_t(v >> (8 * k)));
    }
    return b;
}

Bytes aiff16(uint32_t rate, const std::vector<float>& samples) { return aiff(rate, 1, 16, samples); }

// 16-bit stereo PCM WAV.
Bytes pcmWav(uint32_t rate, const std::vector<float>& left, const std::vector<float>& right) {
    uint32_t dataBytes = uint32_t(4 * left.size());
    Bytes b = {'R', 'I', 'F', 'F'};
    putU32(b, 36 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(b, 16);
    putU16(b, 1);
    putU16(b, 2);
    putU32(b, rate);
    putU32(b, rate * 4);
    putU16(b, 4);
    putU16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    putU32(b, dataBytes);
    for (size_t i = 0; i < left.size(); ++i) {
        putU16(b, uint16_t(int16_t(std::lround(left[i] * 32767))));
        putU16(b, uint16_t(int16_t(std::lround(right[i] * 32767))));
    }
    return b;
}

struct ImportFixture : ::testing::Test {
    ScratchFolder folder;
    Instrument instrument = {};
    void TearDown() override { releaseBuffer(instrument.samples); }
    std::string write(const std::string& name, const Bytes& bytes) {
        std::string path = folder.file(name);
        writeFileBytes(path, bytes);
        return path;
    }
    std::string nameOf() const { return std::string(instrument.name.units, instrument.name.length); }
};

std::vector<float> ramp(uint32_t count, float peak) {
    std::vector<float> x(count);
    for (uint32_t i = 0; i < count; ++i) x[i] = peak * float(i % 100) / 99.0f * (i % 2 ? -1.0f : 1.0f);
    return x;
}

}  // namespace

TEST(ImportExtension, IsCaseInsensitiveAndNeedsAKnownName) {
    struct Case {
        const char* path;
        const char* extension;
    } cases[] = {{"C:\\a\\SAMPLE.WAV", "WAV"}, {"a.Aif", "Aif"}, {"x.y.AIFC", "AIFC"}, {"a.", ""},
                 {"a", ""},                   {".wav", "wav"},  {"dir.d\\file", "d\\file"}};
    for (const Case& c : cases) {
        Utf8View e = pathExtension(viewOf(c.path));
        EXPECT_EQ(std::string(e.units, e.length), c.extension) << c.path;
    }
    EXPECT_TRUE(equalIgnoringCase(viewOf("WAV"), viewOf("wav")));
    EXPECT_TRUE(equalIgnoringCase(viewOf("aIfF"), viewOf("AiFf")));
    EXPECT_FALSE(equalIgnoringCase(viewOf("wave"), viewOf("wav")));
    EXPECT_TRUE(equalIgnoringCase(viewOf(""), viewOf("")));
    EXPECT_TRUE(equalIgnoringCase(viewOf("\xC3\x84" "b"), viewOf("\xC3\xA4" "B")));  // Ä and ä
    EXPECT_TRUE(equalIgnoringCase(viewOf("\xC2\xB5" "x"), viewOf("\xCE\xBC" "x")));   // micro sign and µ
    EXPECT_FALSE(equalIgnoringCase(viewOf("\xC3\x9F"), viewOf("ss")));
    EXPECT_TRUE(equalIgnoringCase(viewOf("\xFF" "A"), viewOf("\xFF" "a")));          // invalid bytes compare as bytes
    EXPECT_FALSE(equalIgnoringCase(viewOf("\xFE"), viewOf("\xFF")));
}

TEST_F(ImportFixture, AcceptsKnownExtensionsAndRefusesOthersUnopened) {
    Bytes wav = floatWav(37908, ramp(100, 0.5f));
    EXPECT_EQ(importSample(instrument, viewOf(write("SAMPLE.WAV", wav))), ErrorCode::Ok);
    Bytes aif = aiff16(37908, ramp(100, 0.5f));
    EXPECT_EQ(importSample(instrument, viewOf(write("a.Aif", aif))), ErrorCode::Ok);
    EXPECT_EQ(importSample(instrument, viewOf(write("a.AIFC", aif))), ErrorCode::Ok);
    EXPECT_EQ(importSample(instrument, viewOf(write("a.aiff", aif))), ErrorCode::Ok);
    // These exist as valid files, or do not exist at all: either way 13, never "not found".
    EXPECT_EQ(importSample(instrument, viewOf(write("a.wave", wav))), ErrorCode::InvalidFormat);
    EXPECT_EQ(importSample(instrument, viewOf(write("b.", wav))), ErrorCode::InvalidFormat);
    EXPECT_EQ(importSample(instrument, viewOf(folder.file("missing.mp3"))), ErrorCode::InvalidFormat);
    EXPECT_EQ(importSample(instrument, viewOf(folder.file("missing"))), ErrorCode::InvalidFormat);
    EXPECT_EQ(importSample(instrument, viewOf(folder.file("missing.wav"))), ErrorCode::NotFound);
}

TEST_F(ImportFixture, AtTheWorkingRateKeepsSamplesAndNormalisesByTheReadersPeak) {
    std::vector<float> x = ramp(1000, 0.5f);
    ASSERT_EQ(importSample(instrument, viewOf(write("w.wav", floatWav(37908, x)))), ErrorCode::Ok);
    ASSERT_EQ(instrument.samples.count, 1000u);
    EXPECT_EQ(instrument.start, 0u);
    EXPECT_EQ(instrument.end, 1000u);
    float gain = kPeakCeiling / 0.5f;
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(instrument.samples.data[i], x[i] * gain) << i;
    EXPECT_EQ(std::fabs(peakSample(instrument.samples.data, 1000)), 0.98855311f);
}

TEST_F(ImportFixture, LeavesQuietAndLoudSamplesUnscaled) {
    for (float peak : {0.005f, 1.5f}) {
        std::vector<float> x = ramp(500, peak);
        ASSERT_EQ(importSample(instrument, viewOf(write("q.wav", floatWav(37908, x)))), ErrorCode::Ok);
        for (uint32_t i = 0; i < 500; ++i) ASSERT_EQ(instrument.samples.data[i], x[i]);
    }
}

// The file is read, decoded and converted block by block; the result must be
// bit for bit that of the whole file decoded at once, converted at once, its
// peak found and normalised.
TEST_F(ImportFixture, InBlocksGivesTheSamplesOfTheWholeFileConvertedAtOnce) {
    struct Case {
        const char* name;
        Bytes file;
        ErrorCode (*parse)(DecodedSample&, const uint8_t*, uint32_t);
    };
    std::vector<float> left(300001), right(300001);
    for (uint32_t i = 0; i < left.size(); ++i) {
        left[i] = 0.3f * std::sin(0.031f * i) + 0.01f * std::sin(1.7f * i);
        right[i] = 0.2f * std::sin(0.017f * i);
    }
    left[131072] = 0.45f;  // the loudest frame begins a block
    std::vector<float> interleaved;
    for (size_t i = 0; i < left.size(); ++i) interleaved.insert(interleaved.end(), {left[i], right[i]});
    const Case cases[] = {
        {"stereo.wav", pcmWav(44100, left, right), parseWav},
        {"stereo.aiff", aiff(37908, 2, 24, interleaved), parseAiff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedSample decoded = {};
        decoded.maxFileSize = kMaxSampleFileSize;
        decoded.mixToMono = 1;
        ASSERT_EQ(c.parse(decoded, c.file.data(), uint32_t(c.file.size())), ErrorCode::Ok);
        std::vector<float> expected(decoded.samples.data, decoded.samples.data + decoded.samples.count);
        float peak = decoded.peak;
        if (decoded.sampleRate != kWorkingSampleRate) {
            expected.resize(uint64_t(decoded.samples.count) * kWorkingSampleRate / decoded.sampleRate);
            ASSERT_EQ(resample(decoded.samples.data, decoded.samples.count, decoded.sampleRate, expected.data(),
                               uint32_t(expected.size()), kWorkingSampleRate),
                      ErrorCode::Ok);
            peak = peakSample(expected.data(), uint32_t(expected.size()));
        }
        normalizePeak(expected.data(), uint32_t(expected.size()), kPeakCeiling, peak);
        releaseDecodedSample(decoded);

        ASSERT_EQ(importSample(instrument, viewOf(write(c.name, c.file))), ErrorCode::Ok);
        ASSERT_EQ(instrument.samples.count, expected.size());
        EXPECT_EQ(memcmp(instrument.samples.data, expected.data(), sizeof(float) * expected.size()), 0);
    }
}

TEST_F(ImportFixture, NamesTheInstrumentAfterTheFileUnlessItHasAName) {
    folder.makeFolder("Audio");
    std::string path = write(std::string("Audio") + kPathSeparator + "Kick drum.wav", floatWav(37908, ramp(10, 0.5f)));
    assignText(instrument.name, viewOf("Inst 3"));
    ASSERT_EQ(importSample(instrument, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(), "Kick dru");
    assignText(instrument.name, viewOf("Bass"));
    ASSERT_EQ(importSample(instrument, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(), "Bass");
    assignText(instrument.name, viewOf("MyInst 9"));
    ASSERT_EQ(importSample(instrument, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(), "Kick dru");
    std::string utf8 = write(std::string("Audio") + kPathSeparator + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.wav",
                             floatWav(37908, ramp(10, 0.5f)));
    clearText(instrument.name);
    ASSERT_EQ(importSample(instrument, viewOf(utf8)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");  // cut at a character boundary
}

TEST_F(ImportFixture, SetsTheDefaultDecayFromTheLength) {
    ASSERT_EQ(importSample(instrument, viewOf(write("d.wav", floatWav(37908, ramp(1000, 0.5f))))), ErrorCode::Ok);
    EXPECT_EQ(instrument.decay, 2);
    instrument.downsample = true;
    instrument.boost = 7;
    ASSERT_EQ(importSample(instrument, viewOf(write("d.wav", floatWav(37908, ramp(1000, 0.5f))))), ErrorCode::Ok);
    EXPECT_EQ(instrument.decay, 1);
    EXPECT_TRUE(instrument.downsample);  // boost and the flag keep their values
    EXPECT_EQ(instrument.boost, 7);

    EXPECT_EQ(defaultDecay(1000, false), 2);
    EXPECT_EQ(defaultDecay(1000, true), 1);
    EXPECT_EQ(defaultDecay(174080, false), 255);
    EXPECT_EQ(defaultDecay(174079, false), 255);
    EXPECT_EQ(defaultDecay(173398, false), 255);  // 260097 samples: just over 254 blocks
    EXPECT_EQ(defaultDecay(173397, false), 254);
    EXPECT_EQ(defaultDecay(0xFFFFFFFF, false), 255);
    EXPECT_EQ(defaultDecay(0, false), 0);
}

TEST_F(ImportFixture, AnEmptyFileInstallsAnEmptySample) {
    ASSERT_EQ(importSample(instrument, viewOf(write("e.wav", floatWav(44100, {})))), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 0u);
    EXPECT_EQ(instrument.start, 0u);
    EXPECT_EQ(instrument.end, 0u);
    EXPECT_EQ(instrument.decay, 0);
}

TEST_F(ImportFixture, AFailedImportLeavesTheInstrumentAsItWas) {
    ASSERT_EQ(importSample(instrument, viewOf(write("good.wav", floatWav(37908, ramp(300, 0.5f))))), ErrorCode::Ok);
    instrument.start = 10;
    instrument.end = 20;
    float* before = instrument.samples.data;
    Bytes broken = floatWav(37908, ramp(300, 0.5f));
    broken.resize(broken.size() - 7);  // the data chunk claims more than the file holds
    std::string name = nameOf();
    EXPECT_EQ(importSample(instrument, viewOf(write("broken.wav", broken))), ErrorCode::InvalidFormat);
    EXPECT_EQ(instrument.samples.data, before);
    EXPECT_EQ(instrument.samples.count, 300u);
    EXPECT_EQ(instrument.start, 10u);
    EXPECT_EQ(instrument.end, 20u);
    EXPECT_EQ(nameOf(), name);
}
