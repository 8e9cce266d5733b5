#include <gtest/gtest.h>

#include <string>

#include "core/trim_silence.h"
#include "import/import_sample.h"
#include "test_files.h"

namespace {

// markers_tone.wav, made by sox (make_fixtures.sh), imported as the program
// does: silence up to 1000; a half-scale sine up to 3000 (its quietest
// samples about -30 dBFS); a square at 16/32768 up to 4000, which the
// import's gain of 0.98855 / 0.5 puts at -60.3 dBFS; silence up to 4500.
struct TrimTone : ::testing::Test {
    Instrument instrument = {};
    void SetUp() override {
        std::string path = std::string(CORVANE_FIXTURES_DIR) + "/markers_tone.wav";
        ASSERT_EQ(importSample(instrument, viewOf(path)), ErrorCode::Ok);
        ASSERT_EQ(instrument.samples.count, 4500u);
        instrument.decay = 1;
    }
    void TearDown() override { releaseSamples(instrument.samples); }
    void expectSpan(uint32_t start, uint32_t end) const {
        EXPECT_EQ(instrument.start, start);
        EXPECT_EQ(instrument.end, end);
    }
};

}  // namespace

// Card bytes by the footprint rule: the span rounded up to 1024-byte blocks,
// one block more when the decay outlasts it. Decay 1 lasts 682 samples (1024
// when downsampled, 1536 on the card's clock): one block, or two.
TEST_F(TrimTone, StartAndEndMoveToTheSoundAndTheCardSavesWhatTheFootprintRuleSays) {
    ASSERT_EQ(instrument.start, 0u);
    ASSERT_EQ(instrument.end, 4500u);
    TrimOutcome outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    EXPECT_EQ(outcome.result, TrimResult::Trimmed);
    expectSpan(1000, 3000);  // the quiet square is below -54 dBFS
    EXPECT_EQ(outcome.footprintBefore, 5120u);  // 4500 samples: 5 blocks
    EXPECT_EQ(outcome.footprintAfter, 2048u);   // 2000: 2 blocks

    outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    EXPECT_EQ(outcome.result, TrimResult::NoSilence);
    expectSpan(1000, 3000);
    EXPECT_EQ(outcome.footprintBefore, outcome.footprintAfter);

    instrument.start = 0;
    instrument.end = 4500;
    instrument.downsample = true;
    outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    EXPECT_EQ(outcome.footprintBefore, 3072u);  // 3000 card samples: 3 blocks; the decay 1536: 2
    EXPECT_EQ(outcome.footprintAfter, 2048u);   // 1333: 2 blocks

    instrument.start = 0;
    instrument.end = 4500;
    instrument.downsample = false;
    instrument.decay = 5;  // 3413 samples: 4 blocks
    outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    EXPECT_EQ(outcome.footprintBefore, 5120u);
    EXPECT_EQ(outcome.footprintAfter, 3072u);  // 2 blocks and one of silence behind
}

TEST_F(TrimTone, TheLevelIsTheImportedSamplesWithinTheMarkers) {
    instrument.boost = 10;  // the boost would lift the quiet square to -50 dBFS: it does not count
    trimSilence(instrument, kDefaultTrimThresholdDb);
    expectSpan(1000, 3000);

    instrument.start = 0;
    instrument.end = 4500;
    trimSilence(instrument, -60.0f);
    expectSpan(1000, 3000);
    instrument.end = 4500;
    trimSilence(instrument, -61.0f);
    expectSpan(1000, 4000);

    // Never beyond the markers: the sound before 1500 stays cut off.
    instrument.start = 1500;
    instrument.end = 3500;
    TrimOutcome outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    expectSpan(1500, 3000);
    EXPECT_EQ(outcome.footprintBefore, outcome.footprintAfter);  // 2000 and 1500 samples: 2 blocks each

    instrument.start = 100;
    instrument.end = 900;
    outcome = trimSilence(instrument, kDefaultTrimThresholdDb);
    EXPECT_EQ(outcome.result, TrimResult::NothingLoud);
    expectSpan(100, 900);
    instrument.start = instrument.end = 2000;
    EXPECT_EQ(trimSilence(instrument, kDefaultTrimThresholdDb).result, TrimResult::NothingLoud);
    expectSpan(2000, 2000);
}
