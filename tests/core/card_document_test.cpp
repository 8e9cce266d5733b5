#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/card_document.h"

namespace {

struct DocumentFixture : ::testing::Test {
    CardDocument document = {};
    void SetUp() override { resetDocument(document); }
    void TearDown() override { releaseDocument(document); }

    // An instrument whose samples are the values first, first+1, ... so moves can be traced.
    Instrument* addTraced(float first, uint32_t count) {
        Instrument* instrument = appendInstrument(document);
        EXPECT_EQ(resizeBuffer(instrument->samples, count), ErrorCode::Ok);
        for (uint32_t i = 0; i < count; ++i) instrument->samples.data[i] = first + static_cast<float>(i);
        return instrument;
    }
    // The first sample of each instrument, in order.
    std::vector<float> firsts() const {
        std::vector<float> values;
        for (uint32_t i = 0; i < document.instruments.count; ++i)
            values.push_back(instrumentAt(document, i)->samples.data[0]);
        return values;
    }
};

std::string nameOf(const Instrument& instrument) { return std::string(instrument.name.units, instrument.name.length); }

// An instrument for the size arithmetic alone: only the sample count matters, no storage.
Instrument sized(uint32_t count, uint32_t start, uint32_t end, uint8_t decay, bool downsample) {
    Instrument instrument = {};
    instrument.samples.count = count;
    instrument.start = start;
    instrument.end = end;
    instrument.decay = decay;
    instrument.downsample = downsample;
    return instrument;
}

}  // namespace

TEST_F(DocumentFixture, ResetGivesTheDefaultCard) {
    addNamedInstrument(document);
    document.cardCode = 0x1234;
    document.headerFlag = true;
    document.modified = true;
    resetDocument(document);
    EXPECT_EQ(std::string(document.name.units, document.name.length), "Corvane");
    EXPECT_EQ(document.cardCode, 0x0F01);
    EXPECT_FALSE(document.headerFlag);
    EXPECT_EQ(document.instruments.count, 0u);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(recountUsage(document), 64512);
    EXPECT_EQ(document.usedBytes, 1024u);
}

TEST_F(DocumentFixture, NineAdditionsLeaveEightNamedInstruments) {
    for (int i = 0; i < 9; ++i) addNamedInstrument(document);
    ASSERT_EQ(document.instruments.count, 8u);
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(nameOf(*instrumentAt(document, i)), "Inst " + std::to_string(i + 1));
    EXPECT_EQ(instrumentAt(document, 8), nullptr);
}

TEST_F(DocumentFixture, MoveInsertAndRemoveKeepEachRecordsSamples) {
    addTraced(100, 3);
    addTraced(200, 5);
    addTraced(300, 7);
    moveInstrument(document, 0, 2);
    EXPECT_EQ(firsts(), (std::vector<float>{200, 300, 100}));
    EXPECT_EQ(instrumentAt(document, 2)->samples.count, 3u);
    EXPECT_EQ(instrumentAt(document, 2)->samples.data[2], 102);
    moveInstrument(document, 2, 0);  // and back
    EXPECT_EQ(firsts(), (std::vector<float>{100, 200, 300}));
    moveInstrument(document, 1, 5);  // beyond the count: nothing
    EXPECT_EQ(firsts(), (std::vector<float>{100, 200, 300}));

    Instrument* inserted = insertInstrument(document, 1);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->samples.count, 0u);
    EXPECT_EQ(inserted->name.length, 0u);
    EXPECT_EQ(instrumentAt(document, 2)->samples.data[0], 200);
    insertInstrument(document, 10)->decay = 9;  // past the end appends
    EXPECT_EQ(instrumentAt(document, 4)->decay, 9);
    removeInstrument(document, 1);
    removeInstrument(document, 7);  // ignored
    ASSERT_EQ(document.instruments.count, 4u);
    EXPECT_EQ(instrumentAt(document, 1)->samples.data[0], 200);
    clearInstruments(document);
    EXPECT_EQ(document.instruments.count, 0u);
    EXPECT_NE(document.instruments.items, nullptr);  // the storage stays
}

TEST_F(DocumentFixture, ReplaceTakesTheFreshDocument) {
    addTraced(1, 4);
    CardDocument fresh = {};
    resetDocument(fresh);
    fresh.cardCode = 0xBEEF;
    fresh.headerFlag = true;
    Instrument* loaded = appendInstrument(fresh);
    resizeBuffer(loaded->samples, 2);
    loaded->samples.data[0] = 42;
    document.modified = true;
    replaceDocument(document, fresh);
    EXPECT_EQ(document.cardCode, 0xBEEF);
    EXPECT_TRUE(document.headerFlag);
    EXPECT_FALSE(document.modified);
    ASSERT_EQ(document.instruments.count, 1u);
    EXPECT_EQ(instrumentAt(document, 0)->samples.data[0], 42);
    EXPECT_EQ(fresh.instruments.items, nullptr);
    releaseDocument(fresh);
}

TEST_F(DocumentFixture, NamesAreCutToEightBytesOnCharacterBoundaries) {
    setCardName(document, viewOf(u"ABCDEFGH"));
    EXPECT_EQ(std::string(document.name.units, document.name.length), "ABCDEFGH");
    setCardName(document, viewOf(u"ABCDEFG\u00E9"));
    EXPECT_EQ(std::string(document.name.units, document.name.length), "ABCDEFG");
    Instrument* instrument = appendInstrument(document);
    setInstrumentName(*instrument, viewOf(u"Gr\u00FC\u00DFe\u20AC!"));  // 1+1+2+2+1, then 3 does not fit, then 1
    EXPECT_EQ(nameOf(*instrument), "Gr\xC3\xBC\xC3\x9F" "e!");
}

// Worked by hand.
TEST(MemoryAccounting, MatchesTheWorkedExamples) {
    EXPECT_EQ(decayLength(sized(1, 0, 1, 1, false)), 682u);
    EXPECT_EQ(instrumentFootprint(sized(1, 0, 1, 1, false)), 1024u);
    EXPECT_EQ(instrumentFootprint(sized(1, 0, 1, 3, false)), 2048u);
    EXPECT_EQ(instrumentFootprint(sized(3000, 0, 3000, 1, true)), 2048u);
    // end beyond the samples counts only the samples; start beyond end plays nothing
    EXPECT_EQ(instrumentFootprint(sized(1500, 0, 99999, 1, false)), 2048u);
    EXPECT_EQ(instrumentFootprint(sized(4096, 3000, 2000, 1, false)), 1024u);
    EXPECT_EQ(instrumentFootprint(sized(4096, 3000, 2000, 0, true)), 1024u);
    EXPECT_EQ(instrumentFootprint(sized(0, 0, 0, 0, false)), 1024u);
    // the products need 64 bits, and a sum past 32 bits saturates
    EXPECT_EQ(decayLength(sized(0, 0, 0, 255, false)), 174080u);  // 255 x 1024 x 2/3
    EXPECT_EQ(decayLength(sized(0, 0, 0, 255, true)), 261120u);
    // 0xFFFFFFFF x 2/3 = 2863311530, up to a block: 2863311872
    EXPECT_EQ(instrumentFootprint(sized(0xFFFFFFFF, 0, 0xFFFFFFFF, 1, true)), 2863311872u);
    // 0xFFFFFFFF rounds up to 2^32, which does not fit
    EXPECT_EQ(instrumentFootprint(sized(0xFFFFFFFF, 0, 0xFFFFFFFF, 1, false)), 0xFFFFFFFFu);
    // 1535 samples downsampled play as 1023 bytes; the decay of 1024 lasts 1536: silence behind
    EXPECT_EQ(instrumentFootprint(sized(1535, 0, 1535, 1, true)), 2048u);
    EXPECT_EQ(instrumentFootprint(sized(1537, 0, 1537, 1, true)), 2048u);
}

TEST(ParameterRules, ClampAsTheKnobsAndTheCardFileDo) {
    EXPECT_EQ(clampDecay(0), 1);
    EXPECT_EQ(clampDecay(12.9), 12);
    EXPECT_EQ(clampDecay(300), 255);
    EXPECT_EQ(clampDecay(0.0 / 0.0), 1);
    EXPECT_EQ(clampBoost(-3), 0);
    EXPECT_EQ(clampBoost(9.99), 9);
    EXPECT_EQ(clampBoost(200), 10);
    PlayedSpan late = clampPlayedSpan(400, 500, 300), crossed = clampPlayedSpan(10, 5, 300);
    EXPECT_EQ(std::make_pair(late.start, late.end), std::make_pair(300u, 300u));
    EXPECT_EQ(std::make_pair(crossed.start, crossed.end), std::make_pair(5u, 5u));
}
