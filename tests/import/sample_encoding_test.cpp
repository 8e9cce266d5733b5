#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "import/sample_encoding.h"

namespace {

struct DecodeCase {
    SampleEncoding encoding;
    std::vector<uint8_t> bytes;
    float expected;
};

// Values worked out by hand from the stored bits.
const DecodeCase kDecodeCases[] = {
    {SampleEncoding::U8, {0x80}, 0.0f},
    {SampleEncoding::U8, {0x00}, -1.0f},
    {SampleEncoding::U8, {0xFF}, 0.9921875f},
    {SampleEncoding::S8, {0x80}, -1.0f},
    {SampleEncoding::S8, {0x7F}, 0.9921875f},
    {SampleEncoding::S8, {0x40}, 0.5f},
    {SampleEncoding::S16LE, {0x00, 0x80}, -1.0f},
    {SampleEncoding::S16LE, {0x00, 0x40}, 0.5f},
    {SampleEncoding::S16LE, {0xFF, 0x7F}, 32767.0f / 32768.0f},
    {SampleEncoding::S16BE, {0x80, 0x00}, -1.0f},
    {SampleEncoding::S16BE, {0xC0, 0x00}, -0.5f},
    {SampleEncoding::S24LE, {0x00, 0x00, 0x80}, -1.0f},
    {SampleEncoding::S24LE, {0xFF, 0xFF, 0x7F}, 8388607.0f / 8388608.0f},
    {SampleEncoding::S24LE, {0xFF, 0xFF, 0xFF}, -1.0f / 8388608.0f},
    {SampleEncoding::S24BE, {0x80, 0x00, 0x00}, -1.0f},
    {SampleEncoding::S24BE, {0x00, 0x00, 0x01}, 1.0f / 8388608.0f},
    {SampleEncoding::S32LE, {0x00, 0x00, 0x00, 0x80}, -1.0f},
    {SampleEncoding::S32LE, {0x00, 0x00, 0x00, 0x40}, 0.5f},
    // 2147483647 / 2^31 rounds up to 1.0 as a float.
    {SampleEncoding::S32BE, {0x7F, 0xFF, 0xFF, 0xFF}, 1.0f},
    {SampleEncoding::S32BE, {0xFF, 0xFF, 0xFF, 0xFF}, -1.0f / 2147483648.0f},
    {SampleEncoding::F32LE, {0x00, 0x00, 0xC0, 0x3F}, 1.5f},
    {SampleEncoding::F32BE, {0xC0, 0x00, 0x00, 0x00}, -2.0f},
    {SampleEncoding::F64LE, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0xBF}, -0.5f},
    // 0.1 as a double, rounded to the nearest float.
    {SampleEncoding::F64BE, {0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A}, 0.1f},
    // A-law: bit 7 set is positive; the rest is sent with even bits inverted.
    {SampleEncoding::ALaw, {0xD5}, 1.0f / 4095.0f},
    {SampleEncoding::ALaw, {0x55}, -1.0f / 4095.0f},
    {SampleEncoding::ALaw, {0xAA}, 4032.0f / 4095.0f},
    {SampleEncoding::ALaw, {0x2A}, -4032.0f / 4095.0f},
    // segment 1, mantissa 0: 32 + 1
    {SampleEncoding::ALaw, {0xC5}, 33.0f / 4095.0f},
    // mu-law: sent inverted; bit 7 set is positive.
    {SampleEncoding::MuLaw, {0xFF}, 0.0f},
    {SampleEncoding::MuLaw, {0x80}, 8031.0f / 8191.0f},
    {SampleEncoding::MuLaw, {0x00}, -8031.0f / 8191.0f},
    // segment 0, mantissa 1: 35 - 33
    {SampleEncoding::MuLaw, {0xFE}, 2.0f / 8191.0f},
    // segment 1, mantissa 0: 66 - 33
    {SampleEncoding::MuLaw, {0xEF}, 33.0f / 8191.0f},
};

}  // namespace

TEST(SampleEncoding, DecodesStoredValues) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(testing::Message() << "encoding " << int(c.encoding) << ", first byte " << int(c.bytes[0]));
        ASSERT_EQ(encodingBytes(c.encoding), c.bytes.size());
        // Twice in a row: the second shows the decode steps by the sample's size.
        std::vector<uint8_t> twice = c.bytes;
        twice.insert(twice.end(), c.bytes.begin(), c.bytes.end());
        float out[2] = {-9.0f, -9.0f};
        float peak = decodeBlock(twice.data(), c.encoding, 1, out, 2);
        EXPECT_EQ(out[0], c.expected);
        EXPECT_EQ(out[1], c.expected);
        EXPECT_EQ(peak, c.expected);
    }
}
