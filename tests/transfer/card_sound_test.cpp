#include <gtest/gtest.h>

#include <cmath>
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

struct CardSound : ::testing::TestWithParam<bool> {
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

// Checked against the bytes of a built card image, decoded as the instrument plays them.
TEST_P(CardSound, IsTheCardBytesBroughtBackToTheWorkingRateWithTheFade) {
    const bool downsample = GetParam();
    Instrument* instrument = appendInstrument(document);
    float* samples = nullptr;
    ASSERT_FALSE(failed(makeSamples(instrument->samples, 5000, samples)));
    for (uint32_t i = 0; i < 5000; ++i) samples[i] = 0.6f * float(std::sin(i * 0.05));
    instrument->start = 300;
    instrument->end = 4100;
    instrument->boost = 3;
    instrument->decay = 2;
    instrument->downsample = downsample;
    std::vector<uint8_t> image(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, image.data(), kCardCapacity), ErrorCode::Ok);
    ASSERT_EQ(prepareInstrumentPreview(*instrument, preview, envelope), ErrorCode::Ok);
    ASSERT_EQ(prepareCardSound(*instrument, envelope, sound), ErrorCode::Ok);
    ASSERT_EQ(sound.count, 5000u);

    const uint32_t span = 3800, cardLength = downsample ? span * 2 / 3 : span;
    const uint32_t data = (uint32_t(image[36]) << 8 | image[37]) - 1;  // the first entry's start field
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
    // 8 bits: within a step of the preview, away from the resampler's edges.
    for (uint32_t i = 400; i < 4000; ++i) ASSERT_NEAR(sound.data[i], preview.data[i], downsample ? 0.05 : 1.0 / 128);

    instrument->start = instrument->end = 1000;  // nothing to play
    ASSERT_EQ(prepareInstrumentPreview(*instrument, preview, envelope), ErrorCode::Ok);
    ASSERT_EQ(prepareCardSound(*instrument, envelope, sound), ErrorCode::Ok);
    for (uint32_t i = 0; i < sound.count; ++i) ASSERT_EQ(sound.data[i], 0.0f) << i;
}

INSTANTIATE_TEST_SUITE_P(Downsampled, CardSound, ::testing::Bool());
