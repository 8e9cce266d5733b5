#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "import/import_sample.h"
#include "import/resample.h"
#include "import/sample_files.h"
#include "import/sample_processing.h"
#include "import/wav_reader.h"
#include "test_files.h"

namespace {

using namespace sample_files;

// A mono 32-bit float WAV.
Bytes floatWav(uint32_t rate, const std::vector<float>& samples) {
    return wav::withData(wav::format(3, 1, rate, 32), wav::f32(samples));
}

std::vector<float> ramp(uint32_t count, float peak) {
    std::vector<float> x(count);
    for (uint32_t i = 0; i < count; ++i) x[i] = peak * float(i % 100) / 99.0f * (i % 2 ? -1.0f : 1.0f);
    return x;
}

struct ImportFixture : ::testing::Test {
    ScratchFolder folder;
    Instrument instrument = {};
    void TearDown() override { releaseSamples(instrument.samples); }
    ErrorCode import(const std::string& name, const Bytes& bytes) {
        return importSample(instrument, viewOf(written(folder, name, bytes)));
    }
    std::string name() const { return std::string(instrument.name.units, instrument.name.length); }
};

}  // namespace

TEST(ImportExtension, IsCaseInsensitiveAndNeedsAKnownName) {
    const char* const extensions[][2] = {{"C:\\a\\SAMPLE.WAV", "WAV"}, {"a.Aif", "Aif"}, {"x.y.AIFC", "AIFC"},
                                         {"a.", ""}, {"a", ""}, {".wav", "wav"}, {"dir.d\\file", "d\\file"}};
    for (const auto& c : extensions) {
        Utf8View e = pathExtension(viewOf(c[0]));
        EXPECT_EQ(std::string(e.units, e.length), c[1]) << c[0];
    }
    const std::tuple<const char*, const char*, bool> comparisons[] = {
        {"WAV", "wav", true}, {"aIfF", "AiFf", true}, {"wave", "wav", false}, {"", "", true},
        {"\xC3\x84" "b", "\xC3\xA4" "B", true},  // Ä and ä
        {"\xC2\xB5" "x", "\xCE\xBC" "x", true},  // micro sign and µ
        {"\xC3\x97", "\xC3\xB7", false},  // the multiplication sign lies between two folded ranges
        {"\xFF" "A", "\xFF" "a", true},  // invalid bytes compare as bytes
        {"\xFE", "\xFF", false},
        {"\xC4", "\xE4", false},  // cut lead bytes that differ in the bit case folding sets
    };
    for (const auto& [a, b, equal] : comparisons)
        EXPECT_EQ(equalIgnoringCase(viewOf(a), viewOf(b)), equal) << a << " and " << b;
}

TEST_F(ImportFixture, AcceptsKnownExtensionsAndRefusesOthersUnopened) {
    Bytes wav = floatWav(37908, ramp(100, 0.5f)), aif = aiff::mono16({1000, -2000, 3000});
    EXPECT_EQ(import("SAMPLE.WAV", wav), ErrorCode::Ok);
    EXPECT_EQ(import("a.Aif", aif), ErrorCode::Ok);
    EXPECT_EQ(import("a.AIFC", aif), ErrorCode::Ok);
    EXPECT_EQ(import("a.aiff", aif), ErrorCode::Ok);
    // Any other extension is refused unopened: never "not found".
    for (const char* missing : {"missing.mp3", "missing"})
        EXPECT_EQ(importSample(instrument, viewOf(folder.file(missing))), ErrorCode::InvalidFormat);
    EXPECT_EQ(importSample(instrument, viewOf(folder.file("missing.wav"))), ErrorCode::NotFound);
}

// At the working rate the samples are kept, scaled so that the reader's peak
// reaches -0.1 dBFS (which peaks are scaled at all is normalizePeak's test).
TEST_F(ImportFixture, AtTheWorkingRateKeepsSamplesAndNormalisesByTheReadersPeak) {
    instrument.downsample = true;
    instrument.start = 10;
    instrument.end = 20;
    std::vector<float> x = ramp(1000, 0.5f);
    ASSERT_EQ(import("w.wav", floatWav(37908, x)), ErrorCode::Ok);
    ASSERT_EQ(instrument.samples.count, 1000u);
    EXPECT_EQ(instrument.start, 0u);
    EXPECT_EQ(instrument.end, 1000u);
    EXPECT_TRUE(instrument.downsample);
    EXPECT_EQ(instrument.decay, 1);  // 1000 samples downsampled; 1500 would need 2
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(instrument.samples.data[i], x[i] * (kPeakCeiling / 0.5f)) << i;
    EXPECT_EQ(std::fabs(peakSample(instrument.samples.data, 1000)), 0.98855311f);
    // Of two data chunks only the last one's samples stay, but the peak is the reader's, of both.
    Bytes twoChunks = wav::riff({wav::chunk("fmt ", wav::format(3, 1, 37908, 32)),
                                 wav::chunk("data", wav::f32({-0.5f})), wav::chunk("data", wav::f32({0.25f}))});
    ASSERT_EQ(import("two.wav", twoChunks), ErrorCode::Ok);
    ASSERT_EQ(instrument.samples.count, 1u);
    EXPECT_EQ(instrument.samples.data[0], 0.25f * (kPeakCeiling / 0.5f));
}

// Never convert from a rate so low that a few bytes become megabytes, nor
// start reading a file far too large (2 GiB, sparse).
TEST_F(ImportFixture, RefusesRatesBelow4000HzAndHugeFilesBeforeConverting) {
    std::vector<int16_t> values(400, 1000);
    auto wavAt = [](uint32_t rate, const std::vector<int16_t>& v) {
        return wav::withData(wav::format(1, 1, rate, 16), wav::s16(v));
    };
    EXPECT_EQ(import("low.wav", wavAt(3999, values)), ErrorCode::NotSupported);
    EXPECT_EQ(instrument.samples.count, 0u);
    EXPECT_EQ(instrument.name.length, 0u);
    // 4000 Hz itself converts: 400 frames become 400 * 37908 / 4000.
    EXPECT_EQ(import("lowest.wav", wavAt(4000, values)), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 3790u);
    // A file without frames has nothing to convert, whatever its rate.
    EXPECT_EQ(import("empty.wav", wavAt(1, {})), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 0u);

    std::string huge = written(folder, "huge.wav", wav::mono16({1, 2, 3}));
    std::filesystem::resize_file(std::filesystem::u8path(huge), 2ull * 1024 * 1024 * 1024);
    EXPECT_EQ(importSample(instrument, viewOf(huge)), ErrorCode::TooLarge);
}

// An instrument holds at most 2^24 samples at the working rate, so that every
// card-file the program writes opens again. 8-bit files at a quarter of the
// working rate: 2^22 frames become exactly the bound, one frame more is
// refused before anything is decoded, and the instrument stays as it was.
TEST_F(ImportFixture, RefusesSoundsLongerThanAnInstrumentMayHold) {
    auto quarterRate = [](uint32_t frames) {
        return wav::withData(wav::format(1, 1, kWorkingSampleRate / 4, 8), Bytes(frames, 0x90));
    };
    ASSERT_EQ(import("longest.wav", quarterRate(1u << 22)), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, kMaxInstrumentSamples);
    const float* kept = instrument.samples.data;
    EXPECT_EQ(import("longer.wav", quarterRate((1u << 22) + 1)), ErrorCode::TooLong);
    EXPECT_EQ(instrument.samples.data, kept);
    EXPECT_EQ(instrument.samples.count, kMaxInstrumentSamples);
    EXPECT_EQ(name(), "longest");
}

// Long files are decoded and converted in blocks (here of 131072 frames). The
// reader's samples and peak must be those of the stored values, the import's
// bit for bit those of the whole file converted at once, its peak found and
// normalised. 300001 frames at 44100 Hz are 257878 at the working rate.
TEST_F(ImportFixture, LongFilesInBlocksGiveWhatTheWholeFileGives) {
    std::vector<int16_t> stored;
    for (uint32_t i = 0; i < 300001; ++i) {
        float left = 0.3f * std::sin(0.031f * i) + 0.01f * std::sin(1.7f * i), right = 0.2f * std::sin(0.017f * i);
        for (float v : {left, right}) stored.push_back(int16_t(std::lround(v * 32767)));
    }
    // The loudest frames inside the second block, one as loud but negative in the last: the first one's sign
    // wins. Converted, the three in a row stay louder than the one alone.
    for (uint32_t c : {0, 1}) {
        for (uint32_t frame : {139999, 140000, 140001}) stored[2 * frame + c] = 16000;
        stored[2 * 270000 + c] = -16000;
    }
    std::vector<float> means(300001);
    for (uint32_t i = 0; i < means.size(); ++i)
        means[i] = (stored[2 * i] / 32768.0f + stored[2 * i + 1] / 32768.0f) / 2;
    Bytes file = wav::withData(wav::format(1, 2, 44100, 16), wav::s16(stored));
    Decoded whole(parseWav, file, 1);
    ASSERT_EQ(whole.code, ErrorCode::Ok);
    EXPECT_TRUE(whole.samples() == means) << "the decoded samples are not the means of the stored ones";
    EXPECT_EQ(whole.decoded.peak, means[140000]);

    std::vector<float> expected(257878);
    ASSERT_EQ(resample(means.data(), 300001, 44100, expected.data(), 257878, kWorkingSampleRate), ErrorCode::Ok);
    normalizePeak(expected.data(), 257878, kPeakCeiling, peakSample(expected.data(), 257878));
    ASSERT_EQ(import("stereo.wav", file), ErrorCode::Ok);
    ASSERT_EQ(instrument.samples.count, 257878u);
    EXPECT_EQ(memcmp(instrument.samples.data, expected.data(), sizeof(float) * 257878), 0);
}

TEST_F(ImportFixture, NamesTheInstrumentAfterTheFileUnlessItHasAName) {
    folder.makeFolder("Audio");
    Bytes wav = floatWav(37908, ramp(10, 0.5f));
    std::string kick = std::string("Audio") + kPathSeparator + "Kick drum.wav";
    std::string accents = std::string("Audio") + kPathSeparator + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.wav";
    const char* const cases[][3] = {
        {"Inst 3", "Kick dru", nullptr},
        {"Bass", "Bass", nullptr},
        {"MyInst 9", "Kick dru", nullptr},
        {"", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "accents"},  // cut at a character boundary
    };
    for (const auto& c : cases) {
        assignText(instrument.name, viewOf(c[0]));
        ASSERT_EQ(import(c[2] ? accents : kick, wav), ErrorCode::Ok);
        EXPECT_EQ(name(), c[1]) << c[0];
    }
}

TEST(DefaultDecay, CoversTheSampleIn1024SampleBlocks) {
    // Frames, downsampled, decay. 173398 frames are 260097 samples at the lower rate: just over 254 blocks.
    const std::tuple<uint32_t, bool, uint8_t> cases[] = {
        {1000, false, 2}, {1000, true, 1}, {173398, false, 255}, {173397, false, 254},
        {0xFFFFFFFF, false, 255}, {0, false, 0}};
    for (const auto& [frames, downsample, decay] : cases) EXPECT_EQ(defaultDecay(frames, downsample), decay) << frames;
}
