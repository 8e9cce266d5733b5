#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "import/sample_processing.h"

TEST(PeakSample, KeepsTheSignOfTheFirstLargest) {
    std::vector<float> x = {0.2f, -0.7f, 0.7f};
    EXPECT_EQ(peakSample(x.data(), 3), -0.7f);
    EXPECT_EQ(peakSample(x.data(), 0), 0.0f);
    std::vector<float> nan = {0.1f, NAN, -0.3f};
    EXPECT_EQ(peakSample(nan.data(), 3), -0.3f);
    // Long enough to be searched in parts on a machine with several cores.
    std::vector<float> y(3000000, 0.25f);
    y[2999999] = -0.9f;
    y[1500000] = 0.9f;
    y[700000] = NAN;
    EXPECT_EQ(peakSample(y.data(), uint32_t(y.size())), 0.9f);
    y[20] = -0.9f;
    EXPECT_EQ(peakSample(y.data(), uint32_t(y.size())), -0.9f);
    y[2999998] = 0.95f;
    EXPECT_EQ(peakSample(y.data(), uint32_t(y.size())), 0.95f);
}

TEST(NormalizePeak, ScalesOnlyPeaksBetweenOneHundredthAndOnePointOhOne) {
    std::vector<float> x = {0.25f, -0.5f};
    normalizePeak(x.data(), 2, kPeakCeiling, -0.5f);
    EXPECT_FLOAT_EQ(x[0], 0.25f * 1.9771062f);
    EXPECT_FLOAT_EQ(x[1], -0.98855311f);
    for (float peak : {0.005f, 0.0099f, 1.5f, 1.0101f, 0.0f}) {
        float y = peak;
        normalizePeak(&y, 1, kPeakCeiling, peak);
        EXPECT_EQ(y, peak);
    }
}

namespace {

// The preview of an instrument over `data`, released at the end.
struct Preview {
    SampleBuffer samples = {}, envelope = {};
    Preview(std::vector<float>& data, uint32_t start, uint8_t decay, bool downsample, uint8_t boost) {
        Instrument instrument = {};
        instrument.samples = {data.data(), uint32_t(data.size()), nullptr};  // lent, held by nobody
        instrument.start = start;
        instrument.end = uint32_t(data.size());
        instrument.decay = decay;
        instrument.downsample = downsample;
        instrument.boost = boost;
        EXPECT_EQ(prepareInstrumentPreview(instrument, samples, envelope), ErrorCode::Ok);
    }
    ~Preview() {
        releaseBuffer(samples);
        releaseBuffer(envelope);
    }
};

uint32_t firstSilentIndex(const SampleBuffer& envelope, uint32_t from) {
    for (uint32_t i = from; i < envelope.count; ++i)
        if (envelope.data[i] == 0.0f) return i;
    return envelope.count;
}

}  // namespace

TEST(InstrumentPreview, FadesFromTheStartOverTheDecayLength) {
    std::vector<float> data(5000, 0.5f);
    // decay 3, not downsampled: 3072 * 25272 / 37908 = 2048 samples
    EXPECT_EQ(firstSilentIndex(Preview(data, 0, 3, false, 0).envelope, 0), 2048u);
    // 1/3072 is not exact in binary: the repeated float subtraction lands one sample later
    EXPECT_NEAR(firstSilentIndex(Preview(data, 0, 3, true, 0).envelope, 0), 3072u, 1u);

    // start 100 with a decay of about 1000 samples (decay 1 downsampled gives 1024)
    Preview preview(data, 100, 1, true, 0);
    ASSERT_EQ(preview.samples.count, 5000u);
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_EQ(preview.envelope.data[i], 0.0f);
        EXPECT_EQ(preview.samples.data[i], 0.5f);
    }
    EXPECT_EQ(preview.envelope.data[100], 1.0f);
    EXPECT_EQ(preview.samples.data[100], 0.5f);
    EXPECT_NEAR(preview.envelope.data[612], 0.5f, 0.001f);
    EXPECT_NEAR(preview.samples.data[612], 0.25f, 0.001f);
    EXPECT_EQ(firstSilentIndex(preview.envelope, 101), 1124u);
    for (uint32_t i = 1124; i < 5000; ++i) ASSERT_EQ(preview.samples.data[i], 0.0f);
    EXPECT_EQ(data[3000], 0.5f);  // the instrument's own samples are untouched
}

TEST(InstrumentPreview, BoostsTheWholeSampleBeforeTheEnvelope) {
    std::vector<float> data = {0.1f, 0.2f, -0.4f, 0.3f}, none;
    Preview preview(data, 2, 255, false, 6);
    // The peak is driven 6 dB above full scale: a gain of about 4.99; all beyond -0.1 dBFS is clipped.
    float gain = static_cast<float>(std::pow(10.0, 0.3)) / 0.4f;
    EXPECT_FLOAT_EQ(preview.samples.data[0], 0.1f * gain);
    EXPECT_EQ(preview.samples.data[1], kPeakCeiling);
    EXPECT_EQ(preview.samples.data[2], -kPeakCeiling);  // envelope 1 at the start point
    EXPECT_LT(preview.envelope.data[3], 1.0f);

    EXPECT_EQ(Preview(none, 0, 1, false, 3).samples.count, 0u);
    std::vector<float> silence(4, 0.0f);
    Preview quiet(silence, 0, 255, false, 10);
    EXPECT_EQ(std::vector<float>(quiet.samples.data, quiet.samples.data + 4), silence);  // no peak to divide by
}
