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

    ErrorCode build(bool dither = false) { return buildCardImage(document, image.data(), kCardCapacity, dither); }
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

namespace {

// Noise in -peak .. +peak, the same in every build (no library maths): each
// `sound` number gives its own repeatable series of samples.
void fillNoise(Instrument& instrument, uint32_t sound, float peak) {
    float* samples = freshSamples(instrument);
    uint32_t next = sound;
    for (uint32_t i = 0; i < instrument.samples.count; ++i) {
        next = next * 1664525u + 1013904223u;
        samples[i] = peak * (float(next >> 8) / 8388608.0f - 1.0f);
    }
}

// Four instruments: a span, a boost, a decay that needs silence behind, both rates.
void buildKnownCard(CardDocument& document) {
    Instrument* a = addFlatInstrument(document, 5000, 0.0f);
    fillNoise(*a, 1, 0.7f);
    a->start = 100;
    a->end = 4900;
    a->decay = 3;
    Instrument* b = addFlatInstrument(document, 7000, 0.0f);
    fillNoise(*b, 2, 0.9f);
    b->boost = 4;
    b->downsample = true;
    Instrument* c = addFlatInstrument(document, 2000, 0.0f);
    fillNoise(*c, 3, 0.01f);
    c->boost = 10;
    c->decay = 20;
    Instrument* d = addFlatInstrument(document, 12000, 0.0f);
    fillNoise(*d, 4, 0.95f);
    d->downsample = true;
    d->start = 333;
}

uint64_t fnv1a(const Bytes& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

}  // namespace

// Without dither the image is byte for byte the one the program has always
// built: the hash of this card's image as made before dither existed.
TEST_F(CardFixture, WithoutDitherAKnownCardGivesTheBytesItAlwaysGave) {
    buildKnownCard(document);
    ASSERT_EQ(build(), ErrorCode::Ok);
    EXPECT_EQ(fnv1a(image), 0x504bb127226d08d4ull);
}

TEST_F(CardFixture, DitherGivesTheSameBytesEveryTimeEachWithinTwoStepsOfThePlainOne) {
    buildKnownCard(document);
    ASSERT_EQ(build(), ErrorCode::Ok);
    const Bytes plain = image;
    ASSERT_EQ(build(true), ErrorCode::Ok);
    const Bytes dithered = image;
    std::fill(image.begin(), image.end(), 0xAA);
    ASSERT_EQ(build(true), ErrorCode::Ok);
    EXPECT_EQ(image, dithered);

    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + kCardHeaderBytes, dithered.begin()));  // header and directory
    uint32_t changed = 0, sound = 0;
    uint32_t data = kCardHeaderBytes;
    for (uint32_t i = 0; i < document.instruments.count; ++i) {
        const Instrument& instrument = *instrumentAt(document, i);
        const uint32_t length = cardSoundLength(instrument), footprint = instrumentFootprint(instrument);
        for (uint32_t k = 0; k < footprint; ++k) {
            uint32_t at = data + k;
            if (k >= length) {  // padding and silence stay exact silence
                ASSERT_EQ(dithered[at], plain[at]) << at;
                continue;
            }
            ASSERT_LE(std::abs(int(dithered[at]) - int(plain[at])), 2) << at;
            changed += dithered[at] != plain[at];
            ++sound;
        }
        data += footprint;
    }
    EXPECT_TRUE(std::equal(plain.begin() + data, plain.end(), dithered.begin() + data));  // the 0xFF tail
    // Triangular noise of a step each way, rounded, gives another byte than
    // the plain truncation about half the time (52 % over evenly spread fractions).
    EXPECT_GT(changed, sound / 3);
    EXPECT_LT(changed, sound * 2 / 3);
}

// Each instrument starts the sequence afresh: its bytes do not depend on what comes before it.
TEST_F(CardFixture, AnInstrumentsDitheredBytesDoNotDependOnItsPlace) {
    buildKnownCard(document);
    ASSERT_EQ(build(true), ErrorCode::Ok);
    const Instrument& first = *instrumentAt(document, 0);
    const Bytes alone(image.begin() + kCardHeaderBytes, image.begin() + kCardHeaderBytes + cardSoundLength(first));
    moveInstrument(document, 0, 3);
    ASSERT_EQ(build(true), ErrorCode::Ok);
    const uint32_t data = (uint32_t(image[32 + 3 * 16 + 4]) << 8 | image[32 + 3 * 16 + 5]) - 1;
    EXPECT_EQ(Bytes(image.begin() + data, image.begin() + data + alone.size()), alone);
}

// The noise is triangular and rounded: over many samples of one level the
// bytes average to the level itself (digital silence stays centred on 0x80),
// and the error's power is a quarter step squared whatever the level;
// truncation would keep half a step below it, and a single uniform value
// would make the power follow the level.
TEST(CardDither, AveragesToTheLevelWithAnErrorPowerThatDoesNotFollowTheSignal) {
    for (double fraction : {0.0, 0.25, 0.5, 0.75}) {
        SCOPED_TRACE(fraction);
        const double level = 100 + fraction;  // 128 - 128 s
        const float sample = float((128 - level) / 128);
        CardDither dither = startCardDither();
        double sum = 0, power = 0;
        const int n = 200000;
        for (int i = 0; i < n; ++i) {
            double error = ditheredCardByte(sample, dither) - level;
            sum += error;
            power += error * error;
        }
        EXPECT_NEAR(sum / n, 0.0, 0.01);
        EXPECT_NEAR(power / n, 0.25, 0.01);
        EXPECT_EQ(cardSampleByte(sample), 100);
    }
}
