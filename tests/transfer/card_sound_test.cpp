#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "import/resample.h"
#include "import/sample_processing.h"
#include "transfer/card_image.h"
#include "transfer/card_sound.h"

TEST(CardByteSample, DecodesEveryByteToTheValueThatEncodesToIt) {
    EXPECT_EQ(cardByteSample(0x80), 0.0f);
    EXPECT_EQ(cardByteSample(0x00), 1.0f);
    EXPECT_EQ(cardByteSample(0xC0), -0.5f);
    EXPECT_EQ(cardByteSample(0xFF), -0.9921875f);
    for (uint32_t byte = 0; byte < 256; ++byte) EXPECT_EQ(cardSampleByte(cardByteSample(uint8_t(byte))), byte);
}

namespace {

// Downsampled or not, dithered or not.
struct CardSound : ::testing::TestWithParam<std::tuple<bool, bool>> {
    CardDocument document = {};
    SampleBuffer preview = {}, envelope = {}, sound = {};
    void SetUp() override { resetDocument(document); }
    void TearDown() override {
        releaseBuffer(preview);
        releaseBuffer(envelope);
        releaseBuffer(sound);
        releaseDocument(document);
    }
};

}  // namespace

// Checked against the bytes of a built card image, decoded as the instrument
// plays them. The instrument is the card's second, so that its bytes must not
// depend on the first's.
TEST_P(CardSound, IsTheCardBytesBroughtBackToTheWorkingRateWithTheFade) {
    const auto [downsample, dither] = GetParam();
    float* samples = nullptr;
    Instrument* first = appendInstrument(document);
    ASSERT_FALSE(failed(makeSamples(first->samples, 1777, samples)));
    for (uint32_t i = 0; i < 1777; ++i) samples[i] = 0.3f * float(std::sin(i * 0.01));
    first->end = 1777;
    Instrument* instrument = appendInstrument(document);
    ASSERT_FALSE(failed(makeSamples(instrument->samples, 5000, samples)));
    for (uint32_t i = 0; i < 5000; ++i) samples[i] = 0.6f * float(std::sin(i * 0.05));
    instrument->start = 300;
    instrument->end = 4100;
    instrument->boost = 3;
    instrument->decay = 2;
    instrument->downsample = downsample;
    std::vector<uint8_t> image(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, image.data(), kCardCapacity, dither), ErrorCode::Ok);
    ASSERT_EQ(prepareInstrumentPreview(*instrument, preview, envelope), ErrorCode::Ok);
    ASSERT_EQ(prepareCardSound(*instrument, envelope, sound, dither), ErrorCode::Ok);
    ASSERT_EQ(sound.count, 5000u);

    const uint32_t span = 3800, cardLength = downsample ? span * 2 / 3 : span;
    const uint32_t data = (uint32_t(image[52]) << 8 | image[53]) - 1;  // the second entry's start field
    std::vector<float> decoded(cardLength), expected(span);
    for (uint32_t i = 0; i < cardLength; ++i) decoded[i] = cardByteSample(image[data + i]);
    if (downsample)
        ASSERT_EQ(resample(decoded.data(), cardLength, kTuneZeroSampleRate, expected.data(), span, kWorkingSampleRate),
                  ErrorCode::Ok);
    else
        expected = decoded;
    for (uint32_t i = 0; i < 5000; ++i) {
        float want = i < 300 || i >= 4100 ? 0.0f : expected[i - 300] * envelope.data[i];
        ASSERT_EQ(sound.data[i], want) << i;
    }
    // 8 bits: within a step of the preview (two with dither), away from the resampler's edges.
    for (uint32_t i = 400; i < 4000; ++i)
        ASSERT_NEAR(sound.data[i], preview.data[i], downsample ? 0.05 : (dither ? 2.0 : 1.0) / 128);

    instrument->start = instrument->end = 1000;  // nothing to play
    ASSERT_EQ(prepareInstrumentPreview(*instrument, preview, envelope), ErrorCode::Ok);
    ASSERT_EQ(prepareCardSound(*instrument, envelope, sound, dither), ErrorCode::Ok);
    for (uint32_t i = 0; i < sound.count; ++i) ASSERT_EQ(sound.data[i], 0.0f) << i;
}

INSTANTIATE_TEST_SUITE_P(DownsampledAndDithered, CardSound, ::testing::Combine(::testing::Bool(), ::testing::Bool()));
