#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "transfer/card_image.h"
#include "transfer/test_instruments.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct CardFixture : ::testing::Test {
    CardDocument document = {};
    Bytes image = Bytes(kCardCapacity, 0xAA);
    void SetUp() override { resetDocument(document); }
    void TearDown() override { releaseDocument(document); }

    ErrorCode build() { return buildCardImage(document, image.data(), kCardCapacity); }
    Bytes bytes(uint32_t from, uint32_t count) const { return Bytes(image.begin() + from, image.begin() + from + count); }
    bool allAre(uint32_t from, uint32_t to, uint8_t value) const {
        return std::all_of(image.begin() + from, image.begin() + to, [value](uint8_t b) { return b == value; });
    }
};

// The 32 header bytes of a card named "Corvane" with code 0x0F01 and `count` instruments.
Bytes header(uint8_t count) {
    return {'K', 'O', 'R', 'G', 0x02, 0xFF, '.', 'V', 'O', 'X', 'p', 'a', 'n', 'd', 'e', 'd',
            0x0F, 0x01, count, 0x00, 0x00, 0x00, 'C', 'o', 'r', 'v', 'a', 'n', 'e', 0xFF, 0xFF, 0xFF};
}

const Bytes kUnusedEntry = {0, 0, 0, 0, 0, 0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0xFF, 0xFF};

}  // namespace

TEST(CardSampleByte, IsInvertedOffsetBinaryTruncatedAndSaturated) {
    // 0.001 gives 127.872 and -0.001 gives 128.128; -1.0 gives 256, which no byte holds.
    const std::pair<float, uint8_t> cases[] = {{0.0f, 0x80},   {1.0f, 0x00},   {-0.5f, 0xC0}, {0.5f, 0x40},
                                               {0.001f, 0x7F}, {-0.001f, 0x80}, {-1.0f, 0xFF}, {-3.0f, 0xFF},
                                               {1.5f, 0x00},   {NAN, 0x80}};
    for (const auto& [sample, byte] : cases) EXPECT_EQ(cardSampleByte(sample), byte) << sample;
}

TEST_F(CardFixture, EmptyCardIsHeaderUnusedSlotsAndFillWithTheNameCutToEight) {
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(bytes(0, 32), header(0));
    for (uint32_t slot = 0; slot < 8; ++slot) EXPECT_EQ(bytes(32 + 16 * slot, 16), kUnusedEntry) << slot;
    EXPECT_TRUE(allAre(160, kCardCapacity, 0xFF));
    assignText(document.name, viewOf("ABC"));
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(bytes(22, 8), (Bytes{0x41, 0x42, 0x43, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    document.cardCode = 0xBEEF;
    assignText(document.name, viewOf("ABCDEFGH"));
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(bytes(16, 2), (Bytes{0xBE, 0xEF}));
    EXPECT_EQ(bytes(22, 10), (Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0xFF, 0xFF}));
}

TEST_F(CardFixture, InstrumentsFollowTheHeaderInWholeBlocksAndADownsampledOneGetsASilenceBlock) {
    Instrument* kick = addFlatInstrument(document, 1500, 0.5f);
    assignText(kick->name, viewOf("Kick"));
    kick->downsample = true;
    addFlatInstrument(document, 10, -0.5f)->decay = 2;
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(bytes(0, 32), header(2));
    // 1000 samples at the Tune 0 rate in one block; the decay (1536) needs two: silence follows
    EXPECT_EQ(bytes(32, 16),
              (Bytes{0x01, 0x00, 0x02, 0x00, 0x04, 0x01, 'K', 'i', 'c', 'k', ' ', ' ', ' ', ' ', 0xFF, 0xFF}));
    for (uint32_t slot = 2; slot < 8; ++slot) EXPECT_EQ(bytes(32 + 16 * slot, 16), kUnusedEntry) << slot;
    EXPECT_TRUE(allAre(160, 1024, 0xFF));
    EXPECT_TRUE(allAre(1024 + 60, 1024 + 940, 0x40));  // the constant survives away from the ends
    EXPECT_TRUE(allAre(2024, 3072, 0x80));
    // the next instrument at 3072: end (3072 + 1024) / 4 = 0x0400, start 3073 = 0x0C01
    EXPECT_EQ(bytes(48, 6), (Bytes{0x02, 0x00, 0x04, 0x00, 0x0C, 0x01}));
    EXPECT_TRUE(allAre(3072, 3082, 0xC0));
    EXPECT_TRUE(allAre(3082, 5120, 0x80));  // decay 2: 1365 samples, two blocks
    EXPECT_TRUE(allAre(5120, kCardCapacity, 0xFF));
}

TEST_F(CardFixture, PlaysOnlyTheSpanBetweenStartAndEndWithTheBoost) {
    Instrument* instrument = addFlatInstrument(document, 3000, 0.5f);
    float* samples = freshSamples(*instrument);
    std::fill(samples + 1000, samples + 2024, -0.05f);
    samples[1000] = -0.25f;
    instrument->start = 1000;
    instrument->end = 2024;
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(image[1024], 0xA0);            // 128 + 32
    EXPECT_TRUE(allAre(1025, 2048, 0x86));  // 128 + 6.4
    EXPECT_TRUE(allAre(2048, kCardCapacity, 0xFF));

    // The span's peak, not the sample's, is driven to 10^(6/20) = 1.995 and clipped at -0.1 dBFS.
    instrument->boost = 6;
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(image[1024], 0xFE);  // 128 + 126.5
    EXPECT_EQ(image[1025], 0xB3);  // -0.05 x 7.98 = -0.399: 128 + 51.1

    instrument->start = instrument->end = 40;  // nothing to play: only the block of silence
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(bytes(32, 6), (Bytes{0x01, 0x00, 0x01, 0x00, 0x04, 0x01}));  // end 1024 / 4, start 1025
    EXPECT_TRUE(allAre(1024, 2048, 0x80));
    EXPECT_TRUE(allAre(2048, kCardCapacity, 0xFF));
}

TEST_F(CardFixture, AnExactlyFullCardFitsAndOneBlockMoreDoesNot) {
    // Seven instruments of nine blocks: 64,512 bytes, exactly the room behind the header.
    for (int i = 0; i < 7; ++i) addFlatInstrument(document, 9 * 1024, 0.5f);
    ASSERT_EQ(recountUsage(document), 0);
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_TRUE(allAre(1024, kCardCapacity, 0x40));  // no 0xFF tail
    EXPECT_EQ(bytes(32 + 6 * 16, 6), (Bytes{0x01, 0x00, 0x40, 0x00, 0xDC, 0x01}));  // the last: 56,321 .. 65,536

    // An eighth instrument with nothing to play still takes its block of silence.
    addFlatInstrument(document, 0, 0.0f);
    ASSERT_EQ(recountUsage(document), -1024);
    EXPECT_EQ(build(), ErrorCode::BufferTooSmall);
}
