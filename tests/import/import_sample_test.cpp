#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "import/aiff_reader.h"
#include "import/import_sample.h"
#include "import/resample.h"
#include "import/sample_files.h"
#include "import/wav_reader.h"
#include "import/sample_processing.h"
#include "test_files.h"

namespace {

using namespace sample_files;

// A mono 32-bit float WAV.
Bytes floatWav(uint32_t rate, const std::vector<float>& samples) {
    return wav::riff({wav::chunk("fmt ", wav::format(3, 1, rate, 32)), wav::chunk("data", wav::f32(samples))});
}

std::vector<int16_t> toS16(const std::vector<float>& samples) {
    std::vector<int16_t> values;
    for (float s : samples) values.push_back(int16_t(std::lround(s * 32767)));
    return values;
}

// The same sound as a plain AIFF: 16-bit big-endian.
Bytes aiff16(uint32_t rate, const std::vector<float>& samples) {
    return aiff::form("AIFF", {aiff::common(1, uint32_t(samples.size()), 16, aiff::extendedOf(rate)),
                               aiff::sound(aiff::s16(toS16(samples)))});
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

// At the working rate the samples are kept and scaled by the reader's peak,
// but only a peak between 0.01 and 1.01.
TEST_F(ImportFixture, AtTheWorkingRateKeepsSamplesAndNormalisesModestPeaks) {
    struct Case {
        float peak, gain, peakAfter;
    } cases[] = {{0.5f, kPeakCeiling / 0.5f, 0.98855311f}, {0.005f, 1.0f, 0.005f}, {1.5f, 1.0f, 1.5f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peak);
        std::vector<float> x = ramp(1000, c.peak);
        ASSERT_EQ(importSample(instrument, viewOf(write("w.wav", floatWav(37908, x)))), ErrorCode::Ok);
        ASSERT_EQ(instrument.samples.count, 1000u);
        EXPECT_EQ(instrument.start, 0u);
        EXPECT_EQ(instrument.end, 1000u);
        for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(instrument.samples.data[i], x[i] * c.gain) << i;
        EXPECT_EQ(std::fabs(peakSample(instrument.samples.data, 1000)), c.peakAfter);
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
    Bytes s24;
    for (float v : interleaved) {
        int32_t level = int32_t(std::lround(v * 8388607));
        s24.insert(s24.end(), {uint8_t(level >> 16), uint8_t(level >> 8), uint8_t(level)});
    }
    const uint32_t frames = uint32_t(left.size());
    const Case cases[] = {
        {"stereo.wav",
         wav::riff({wav::chunk("fmt ", wav::format(1, 2, 44100, 16)), wav::chunk("data", wav::s16(toS16(interleaved)))}),
         parseWav},
        {"stereo.aiff", aiff::form("AIFF", {aiff::common(2, frames, 24, aiff::extendedOf(37908)), aiff::sound(s24)}),
         parseAiff},
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
