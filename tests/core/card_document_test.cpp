#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/card_document.h"
#include "core/memory_text.h"

namespace {

using Floats = std::vector<float>;

struct DocumentFixture : ::testing::Test {
    CardDocument document = {};
    void SetUp() override { resetDocument(document); }
    void TearDown() override { releaseDocument(document); }

    // An instrument whose samples are the values first, first+1, ... so moves can be traced.
    Instrument* addTraced(float first, uint32_t count) {
        Instrument* instrument = appendInstrument(document);
        float* samples = nullptr;
        EXPECT_EQ(makeSamples(instrument->samples, count, samples), ErrorCode::Ok);
        for (uint32_t i = 0; i < count; ++i) samples[i] = first + static_cast<float>(i);
        return instrument;
    }
    // The first sample of each instrument in order, -1 for one without samples.
    Floats firsts() const {
        Floats values;
        for (uint32_t i = 0; i < document.instruments.count; ++i) {
            const SharedSamples& samples = instrumentAt(document, i)->samples;
            values.push_back(samples.count ? samples.data[0] : -1);
        }
        return values;
    }
};

std::string text(const NameBuffer& name) { return std::string(name.units, name.length); }
template <uint32_t C>
std::u16string text(const WideBuffer<C>& wide) { return std::u16string(wide.units, wide.length); }

// An instrument for the size arithmetic alone: only the sample count matters, no storage.
Instrument sized(uint32_t count, uint32_t start, uint32_t end, uint8_t decay, bool downsample) {
    return Instrument{{}, downsample, 0, decay, start, end, {nullptr, count, 0}};
}

}  // namespace

TEST_F(DocumentFixture, ResetGivesTheDefaultCardAndNineAdditionsLeaveEightNamedInstruments) {
    document.cardCode = 0x1234;
    document.headerFlag = true;
    document.modified = true;
    for (int i = 0; i < 9; ++i) addNamedInstrument(document);
    ASSERT_EQ(document.instruments.count, 8u);
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(text(instrumentAt(document, i)->name), "Inst " + std::to_string(i + 1));
    EXPECT_EQ(instrumentAt(document, 8), nullptr);

    resetDocument(document);
    EXPECT_EQ(text(document.name), "Corvane");
    EXPECT_EQ(document.cardCode, 0x0F01);
    EXPECT_FALSE(document.headerFlag);
    EXPECT_EQ(document.instruments.count, 0u);
    EXPECT_FALSE(document.modified);
}

TEST_F(DocumentFixture, MoveInsertAndRemoveKeepEachRecordsSamples) {
    addTraced(100, 3);
    addTraced(200, 5);
    addTraced(300, 7);
    moveInstrument(document, 0, 2);
    EXPECT_EQ(firsts(), (Floats{200, 300, 100}));
    EXPECT_EQ(instrumentAt(document, 2)->samples.data[2], 102);
    moveInstrument(document, 2, 0);  // and back
    moveInstrument(document, 1, 5);  // beyond the count: nothing
    EXPECT_EQ(firsts(), (Floats{100, 200, 300}));

    EXPECT_EQ(insertInstrument(document, 1)->name.length, 0u);
    insertInstrument(document, 10)->decay = 9;  // past the end appends
    EXPECT_EQ(firsts(), (Floats{100, -1, 200, 300, -1}));
    EXPECT_EQ(instrumentAt(document, 4)->decay, 9);
    removeInstrument(document, 1);
    removeInstrument(document, 7);  // ignored
    EXPECT_EQ(firsts(), (Floats{100, 200, 300, -1}));
    clearInstruments(document);
    EXPECT_EQ(document.instruments.count, 0u);
    EXPECT_NE(document.instruments.items, nullptr);  // the storage stays
}

TEST_F(DocumentFixture, ReplaceTakesTheFreshDocument) {
    addTraced(1, 4);
    document.modified = true;
    CardDocument fresh = {};
    resetDocument(fresh);
    fresh.cardCode = 0xBEEF;
    fresh.headerFlag = true;
    float* samples = nullptr;
    ASSERT_EQ(makeSamples(appendInstrument(fresh)->samples, 2, samples), ErrorCode::Ok);
    samples[0] = 42;
    replaceDocument(document, fresh);
    EXPECT_EQ(document.cardCode, 0xBEEF);
    EXPECT_TRUE(document.headerFlag);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(firsts(), Floats{42});
    EXPECT_EQ(fresh.instruments.items, nullptr);
}

TEST_F(DocumentFixture, NamesAreCutToEightBytesOnCharacterBoundaries) {
    setCardName(document, viewOf(u"ABCDEFGH"));
    setCardName(document, viewOf(u"ABCDEFG\u00E9"));  // replaces the name
    EXPECT_EQ(text(document.name), "ABCDEFG");
    Instrument* instrument = appendInstrument(document);
    setInstrumentName(*instrument, viewOf(u"Gr\u00FC\u00DFe\u20AC!"));  // 1+1+2+2+1, then 3 does not fit, then 1
    EXPECT_EQ(text(instrument->name), "Gr\xC3\xBC\xC3\x9F" "e!");
}

TEST_F(DocumentFixture, MemoryTextsShowUsedAndFreeBytes) {
    MemoryText used = {}, free = {};
    EXPECT_EQ(buildMemoryTexts(document, used, free), 64512);
    EXPECT_EQ(text(used), u"1024 Byte");
    EXPECT_EQ(text(free), u"64512 Byte");

    Instrument* big = appendInstrument(document);
    *big = sized(65536, 0, 65536, 1, false);
    EXPECT_EQ(buildMemoryTexts(document, used, free), -1024);
    EXPECT_EQ(text(used), u"66560 Byte");
    EXPECT_EQ(text(free), u"-1024 Byte");
    big->samples.count = 0;
}

// What the window shows for the selected instrument.
TEST(InstrumentCostTexts, FootprintAndWhatDownsampleSavesOrCosts) {
    MemoryText footprint = {};
    buildFootprintText(footprint, sized(3000, 0, 3000, 1, false));
    EXPECT_EQ(text(footprint), u"3072 Byte");
    struct Case {
        Instrument instrument;
        std::u16string off, on;
    } cases[] = {
        // 3000 samples: 3 blocks; downsampled 2000: 2 blocks, the decay's 1536 fits in them
        {sized(3000, 0, 3000, 1, false), u"Downsample would save 1024 Byte", u"Downsample saves 1024 Byte"},
        // 1024 samples: 1 block; downsampled 682 still 1, but the decay of 1536 needs a block of silence
        {sized(1024, 0, 1024, 1, false), u"Downsample would cost 1024 Byte", u"Downsample costs 1024 Byte"},
        // nothing to play: the block of silence either way
        {sized(500, 200, 200, 1, false), u"Downsample would save nothing", u"Downsample saves nothing"},
        {sized(30000, 0, 30000, 9, false), u"Downsample would save 10240 Byte", u"Downsample saves 10240 Byte"},
    };
    for (Case& c : cases) {
        CostText cost = {};
        buildDownsampleText(cost, c.instrument);
        EXPECT_EQ(text(cost), c.off);
        c.instrument.downsample = true;
        buildDownsampleText(cost, c.instrument);
        EXPECT_EQ(text(cost), c.on);
    }
}

TEST(InstrumentCostTexts, TrimSilenceTellsWhatItSavedOrWhyNothingChanged) {
    CostText cost = {};
    buildTrimText(cost, {TrimResult::Trimmed, 5120, 2048}, -54.0f);
    EXPECT_EQ(text(cost), u"Trim Silence saved 3072 Byte");
    buildTrimText(cost, {TrimResult::Trimmed, 2048, 2048}, -54.0f);
    EXPECT_EQ(text(cost), u"Trim Silence saved 0 Byte");
    buildTrimText(cost, {TrimResult::NoSilence, 2048, 2048}, -54.0f);
    EXPECT_EQ(text(cost), u"No silence to trim");
    buildTrimText(cost, {TrimResult::NothingLoud, 2048, 2048}, -54.0f);
    EXPECT_EQ(text(cost), u"Nothing reaches -54 dBFS: nothing trimmed");
}

TEST(MemoryAccounting, MatchesTheWorkedExamples) {
    EXPECT_EQ(decayLength(sized(1, 0, 1, 1, false)), 682u);
    EXPECT_EQ(instrumentFootprint(sized(1, 0, 1, 1, false)), 1024u);
    EXPECT_EQ(instrumentFootprint(sized(3000, 0, 3000, 1, true)), 2048u);
    // end beyond the samples counts only the samples; start beyond end plays nothing; decay 0 counts as 1
    EXPECT_EQ(instrumentFootprint(sized(1500, 0, 99999, 1, false)), 2048u);
    EXPECT_EQ(instrumentFootprint(sized(4096, 3000, 2000, 0, true)), 1024u);
    // the products need 64 bits, and a sum past 32 bits saturates
    EXPECT_EQ(decayLength(sized(0, 0, 0, 255, false)), 174080u);  // 255 x 1024 x 2/3
    // 0xFFFFFFFF x 2/3 = 2863311530, up to a block: 2863311872
    EXPECT_EQ(instrumentFootprint(sized(0xFFFFFFFF, 0, 0xFFFFFFFF, 1, true)), 2863311872u);
    // 0xFFFFFFFF rounds up to 2^32, which does not fit
    EXPECT_EQ(instrumentFootprint(sized(0xFFFFFFFF, 0, 0xFFFFFFFF, 1, false)), 0xFFFFFFFFu);
    // 1535 samples downsampled play as 1023 bytes; the decay of 1024 lasts 1536: silence behind
    EXPECT_EQ(instrumentFootprint(sized(1535, 0, 1535, 1, true)), 2048u);
}

TEST(ParameterRules, ClampAsTheKnobsAndTheCardFileDo) {
    EXPECT_EQ(clampDecay(12.9), 12);
    EXPECT_EQ(clampDecay(300), 255);
    EXPECT_EQ(clampDecay(0.0 / 0.0), 1);
    EXPECT_EQ(clampBoost(-3), 0);
    EXPECT_EQ(clampBoost(9.99), 9);
}
