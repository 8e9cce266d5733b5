#pragma once
// The sample files in import/fixtures and the checks both reader tests make
// with them. Each FILE there comes with FILE.f32: the samples as decoded by
// sox (or written by make_aifc.py), interleaved little-endian 32-bit floats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "import/decoded_sample.h"
#include "test_files.h"

namespace sample_fixtures {

// How closely a reader must match the reference values.
enum class Match {
    // Integers of up to 24 bits, and every value make_aifc.py wrote: both sides are exact.
    Exact,
    // 32-bit integers and floats decoded by sox: sox carries samples as 32-bit
    // integers and rounds its float output to 24 bits (halves up), so it may be
    // one step of 2^-24 away, plus the 2^-32 of its float-to-integer rounding.
    SoxFloatOutput,
    // G.711: the references are on sox's 16-bit scale (A-law level x 8, mu-law
    // level x 4, over 32768), the reader divides the level by 4095 and 8191.
    // Rescaled, the two must agree to the rounding of one float (2^-24 relative).
    ALaw,
    MuLaw,
};

struct Fixture {
    const char* name;
    uint32_t channels;
    uint32_t sampleRate;
    Match match;
};

inline std::string fixturePath(const char* name) { return std::string(CORVANE_FIXTURES_DIR) + "/" + name; }

inline std::vector<float> referenceSamples(const char* name) {
    std::vector<uint8_t> bytes = readFileBytes(fixturePath(name) + ".f32");
    std::vector<float> values(bytes.size() / 4);
    for (size_t i = 0; i < values.size(); ++i) {
        uint32_t bits = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 | uint32_t(bytes[4 * i + 2]) << 16 |
                        uint32_t(bytes[4 * i + 3]) << 24;
        memcpy(&values[i], &bits, 4);
    }
    return values;
}

inline bool matches(float actual, float reference, Match match) {
    switch (match) {
    case Match::Exact: return actual == reference;
    case Match::SoxFloatOutput: return std::fabs(double(actual) - reference) <= std::ldexp(1.0, -24) + std::ldexp(1.0, -31);
    case Match::ALaw: {
        double expected = double(reference) * 4096.0 / 4095.0;
        return std::fabs(actual - expected) <= std::fabs(expected) * std::ldexp(1.0, -24);
    }
    case Match::MuLaw: {
        double expected = double(reference) * 8192.0 / 8191.0;
        return std::fabs(actual - expected) <= std::fabs(expected) * std::ldexp(1.0, -24);
    }
    }
    return false;
}

// The signed value of largest magnitude, the first of equal ones; 0 for none.
inline float largestMagnitude(const float* values, uint32_t count) {
    float peak = 0.0f;
    for (uint32_t i = 0; i < count; ++i)
        if (std::fabs(values[i]) > std::fabs(peak)) peak = values[i];
    return peak;
}

inline ::testing::AssertionResult samplesMatch(const DecodedSample& decoded, const std::vector<float>& reference,
                                               Match match) {
    if (decoded.samples.count != reference.size())
        return ::testing::AssertionFailure() << decoded.samples.count << " samples, expected " << reference.size();
    uint32_t mismatches = 0, first = 0;
    for (uint32_t i = 0; i < decoded.samples.count; ++i) {
        if (matches(decoded.samples.data[i], reference[i], match)) continue;
        if (mismatches++ == 0) first = i;
    }
    if (mismatches == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << mismatches << " samples differ; the first is #" << first << ": "
                                         << decoded.samples.data[first] << " against " << reference[first];
}

// Each mixed sample is the float sum of its frame's samples divided by the channel count.
inline ::testing::AssertionResult isMixOf(const DecodedSample& mixed, const DecodedSample& interleaved,
                                          uint32_t channels) {
    uint32_t frames = interleaved.samples.count / channels;
    if (mixed.samples.count != frames)
        return ::testing::AssertionFailure() << mixed.samples.count << " frames, expected " << frames;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (uint32_t c = 0; c < channels; ++c) sum += interleaved.samples.data[frame * channels + c];
        float mean = sum / static_cast<float>(channels);
        if (mixed.samples.data[frame] != mean)
            return ::testing::AssertionFailure() << "frame " << frame << " is " << mixed.samples.data[frame]
                                                 << ", the mean of its samples is " << mean;
    }
    return ::testing::AssertionSuccess();
}

using Reader = ErrorCode (*)(DecodedSample&, Utf8View);

// Decodes the fixture interleaved and mixed to mono and checks both against the reference.
inline void checkFixture(Reader read, const Fixture& fixture) {
    SCOPED_TRACE(fixture.name);
    std::vector<float> reference = referenceSamples(fixture.name);
    ASSERT_FALSE(reference.empty()) << "no reference samples for " << fixture.name;
    std::string path = fixturePath(fixture.name);

    DecodedSample interleaved = {};
    interleaved.maxFileSize = kMaxSampleFileSize;
    interleaved.mixToMono = 0;
    ASSERT_EQ(read(interleaved, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(interleaved.channels, fixture.channels);
    EXPECT_EQ(interleaved.sampleRate, fixture.sampleRate);
    EXPECT_TRUE(samplesMatch(interleaved, reference, fixture.match));
    EXPECT_EQ(interleaved.peak, largestMagnitude(interleaved.samples.data, interleaved.samples.count));

    DecodedSample mixed = {};
    mixed.maxFileSize = kMaxSampleFileSize;
    mixed.mixToMono = 1;
    EXPECT_EQ(read(mixed, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(mixed.channels, 1u);
    EXPECT_EQ(mixed.sampleRate, fixture.sampleRate);
    EXPECT_TRUE(isMixOf(mixed, interleaved, fixture.channels));
    EXPECT_EQ(mixed.peak, largestMagnitude(mixed.samples.data, mixed.samples.count));
    EXPECT_NE(mixed.peak, 0.0f);

    releaseDecodedSample(interleaved);
    releaseDecodedSample(mixed);
}

// A file decoded in memory by one of the readers; released at the end.
template <ErrorCode (*Parse)(DecodedSample&, const uint8_t*, uint32_t)>
struct ParsedWith {
    DecodedSample decoded = {};
    ErrorCode code;
    explicit ParsedWith(const std::vector<uint8_t>& bytes, uint8_t mixToMono = 0) {
        decoded.maxFileSize = kMaxSampleFileSize;
        decoded.mixToMono = mixToMono;
        code = Parse(decoded, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    ~ParsedWith() { releaseDecodedSample(decoded); }
    std::vector<float> samples() const {
        return std::vector<float>(decoded.samples.data, decoded.samples.data + decoded.samples.count);
    }
};

struct CodeCase {
    const char* what;
    std::vector<uint8_t> file;
    ErrorCode code;
};

// Every case gives its code whether the channels are mixed or not.
template <ErrorCode (*Parse)(DecodedSample&, const uint8_t*, uint32_t)>
void expectCodesWith(const std::vector<CodeCase>& cases) {
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParsedWith<Parse>(c.file).code, c.code);
        EXPECT_EQ(ParsedWith<Parse>(c.file, 1).code, c.code);
    }
}

// A reader's loading failures: no path, no file, a file over the limit; and
// the same file loads at exactly the limit. `file` holds three samples.
template <typename Reader>
void checkLoadingFailures(Reader read, const std::vector<uint8_t>& file, const char* name) {
    ScratchFolder folder;
    std::string path = folder.file(name);
    writeFileBytes(path, file);
    DecodedSample decoded = {};
    decoded.mixToMono = 1;
    decoded.maxFileSize = kMaxSampleFileSize;
    EXPECT_EQ(read(decoded, viewOf(std::string())), ErrorCode::InvalidArgument);
    EXPECT_EQ(read(decoded, viewOf(folder.file(std::string("missing-") + name))), ErrorCode::NotFound);
    decoded.maxFileSize = static_cast<uint32_t>(file.size()) - 1;
    EXPECT_EQ(read(decoded, viewOf(path)), ErrorCode::TooLarge);
    decoded.maxFileSize = static_cast<uint32_t>(file.size());
    EXPECT_EQ(read(decoded, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(decoded.samples.count, 3u);
    releaseDecodedSample(decoded);
}

}  // namespace sample_fixtures
