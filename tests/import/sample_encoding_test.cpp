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
        ByteCursor cursor = makeCursor(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
        uint64_t offset = 0;
        EXPECT_EQ(decodeSample(cursor, offset, c.encoding), c.expected);
        EXPECT_EQ(offset, c.bytes.size());
        EXPECT_FALSE(cursor.failed);
    }
}

TEST(SampleEncoding, ReadsAtTheGivenOffset) {
    const uint8_t bytes[] = {0x11, 0x00, 0x40, 0x00, 0xC0};
    ByteCursor cursor = makeCursor(bytes, sizeof bytes);
    uint64_t offset = 1;
    EXPECT_EQ(decodeSample(cursor, offset, SampleEncoding::S16LE), 0.5f);
    EXPECT_EQ(decodeSample(cursor, offset, SampleEncoding::S16LE), -0.5f);
    EXPECT_EQ(offset, 5u);
}

TEST(SampleEncoding, AReadPastTheEndGivesZeroFailsTheCursorAndStillAdvances) {
    const uint8_t bytes[] = {0x00, 0x40, 0x00};
    for (SampleEncoding encoding : {SampleEncoding::S16LE, SampleEncoding::S24BE, SampleEncoding::F32LE,
                                    SampleEncoding::F64BE}) {
        SCOPED_TRACE(int(encoding));
        ByteCursor cursor = makeCursor(bytes, sizeof bytes);
        uint64_t offset = 2;
        EXPECT_EQ(decodeSample(cursor, offset, encoding), 0.0f);
        EXPECT_TRUE(cursor.failed);
        EXPECT_EQ(offset, 2 + encodingBytes(encoding));
    }
    ByteCursor empty = makeCursor(nullptr, 0);
    uint64_t offset = 0;
    EXPECT_EQ(decodeSample(empty, offset, SampleEncoding::U8), 0.0f);
    EXPECT_TRUE(empty.failed);
    EXPECT_EQ(offset, 1u);
}

TEST(SampleEncoding, AnUnknownEncodingReadsNothing) {
    const uint8_t bytes[] = {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F};
    for (uint8_t value : {0, 15, 255}) {
        SCOPED_TRACE(int(value));
        ByteCursor cursor = makeCursor(bytes, sizeof bytes);
        uint64_t offset = 3;
        EXPECT_EQ(decodeSample(cursor, offset, static_cast<SampleEncoding>(value)), 0.0f);
        EXPECT_EQ(offset, 3u);
        EXPECT_FALSE(cursor.failed);
        EXPECT_EQ(encodingBytes(static_cast<SampleEncoding>(value)), 0u);
    }
}
