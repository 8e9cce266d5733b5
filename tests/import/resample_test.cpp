#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "import/resample.h"
#include "import/resample_reference.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> convert(const std::vector<float>& x, uint32_t from, uint32_t to, uint32_t outputs) {
    std::vector<float> y(outputs, -99.0f);
    EXPECT_EQ(resample(x.data(), static_cast<uint32_t>(x.size()), from, y.data(), outputs, to), ErrorCode::Ok);
    return y;
}

// Fed in blocks of odd sizes; the conversion keeps its history between them.
std::vector<float> convertInBlocks(const std::vector<float>& x, uint32_t from, uint32_t to, uint32_t outputs) {
    const uint32_t blocks[] = {1, 7, 333, 4099, 65537, 2, 50};
    uint32_t count = uint32_t(x.size());
    StreamResampler stream;
    std::vector<float> y(outputs, -99.0f);
    EXPECT_EQ(startResampler(stream, count, from, outputs, to, 65537), ErrorCode::Ok);
    uint32_t fed = 0, done = 0;
    for (uint32_t i = 0; fed < count; ++i) {
        uint32_t room = 0;
        float* space = resamplerSpace(stream, room);
        uint32_t n = std::min({blocks[i % 7], room, count - fed});
        std::copy(x.begin() + fed, x.begin() + fed + n, space);
        fed += n;
        uint32_t now = resamplerTake(stream, n, y.data());
        EXPECT_GE(now, done);
        done = now;
    }
    releaseResampler(stream);
    EXPECT_EQ(done, outputs);
    return y;
}

}  // namespace

TEST(Resample, GivesTheDocumentedFiguresForAConstantInputAndRefusesBadArguments) {
    std::vector<float> x(3000, 0.5f), y = convert(x, 37908, 25272, 2000);
    const float first[] = {0.4167f, 0.5253f, 0.4863f};
    for (uint32_t j = 0; j < 3; ++j) EXPECT_NEAR(y[j], first[j], 0.0001f) << j;
    // constant in, constant out away from the ends (the filter reaches 56 samples)
    for (uint32_t j = 60; j < 1940; ++j) ASSERT_NEAR(y[j], 0.5f, 0.0001f) << j;

    EXPECT_EQ(resample(x.data(), 3000, 37908, y.data(), 1999, 25272), ErrorCode::BufferTooSmall);
    EXPECT_EQ(resample(x.data(), 3000, 0, y.data(), 2000, 25272), ErrorCode::InvalidArgument);
    EXPECT_EQ(resample(x.data(), 3000, 37908, y.data(), 2000, 0), ErrorCode::InvalidArgument);
    EXPECT_EQ(resample(nullptr, 3000, 37908, y.data(), 2000, 25272), ErrorCode::NullPointer);
    EXPECT_EQ(resample(x.data(), 3000, 37908, nullptr, 2000, 25272), ErrorCode::NullPointer);
}

// The fast resampler (vectors, phases, two threads) against the plain sum;
// fed in blocks it gives the very bits it gives whole (there its outputs come
// from other kernels: in parts, four at a time, phase-grouped).
TEST(Resample, StaysWithinOneMillionthOfThePlainSumWholeOrInBlocks) {
    const std::pair<uint32_t, uint32_t> pairs[] = {{44100, 37908}, {48000, 37908}, {96000, 37908},
                                                   {22050, 37908}, {8000, 37908},  {37908, 25272}};
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    for (const auto& [from, to] : pairs) {
        SCOPED_TRACE(testing::Message() << from << " -> " << to);
        // A mix of tones and noise as loud as real material, long enough for both threads.
        uint32_t count = static_cast<uint32_t>(uint64_t(from) * 3 + 17);
        std::vector<float> x(count);
        for (uint32_t i = 0; i < count; ++i)
            x[i] = static_cast<float>(0.4 * std::sin(2 * kPi * 220.0 * i / from) +
                                      0.3 * std::sin(2 * kPi * 3001.0 * i / from)) +
                   noise(random);
        uint32_t outputs = static_cast<uint32_t>(uint64_t(count) * to / from);
        std::vector<float> fast = convert(x, from, to, outputs);
        std::vector<float> plain = referenceResample(x, from, outputs, to);
        double worst = 0;
        for (uint32_t j = 0; j < outputs; ++j) worst = std::max(worst, double(std::fabs(fast[j] - plain[j])));
        EXPECT_LE(worst, 1e-6);
        std::vector<float> inBlocks = convertInBlocks(x, from, to, outputs);
        EXPECT_EQ(memcmp(inBlocks.data(), fast.data(), sizeof(float) * outputs), 0);
    }
}
