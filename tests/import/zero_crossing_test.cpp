#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "import/import_sample.h"
#include "import/sample_processing.h"
#include "import/zero_crossing.h"
#include "test_files.h"

namespace {

// markers_tone.wav, made by sox (make_fixtures.sh), imported as the program
// does: silence up to 1000; a sine that changes sign between 1000 + 50k - 1
// and 1000 + 50k up to 3000; a quiet square doing the same up to 4000;
// silence up to 4500.
struct MarkerTone : ::testing::Test {
    Instrument instrument = {};
    SampleBuffer preview = {}, envelope = {};
    void SetUp() override {
        std::string path = std::string(CORVANE_FIXTURES_DIR) + "/markers_tone.wav";
        ASSERT_EQ(importSample(instrument, viewOf(path)), ErrorCode::Ok);
        ASSERT_EQ(instrument.samples.count, 4500u);
        instrument.decay = 255;  // 174080 samples: the fade never runs out here
    }
    void TearDown() override {
        releaseSamples(instrument.samples);
        releaseBuffer(preview);
        releaseBuffer(envelope);
    }
    void prepare(uint32_t start, uint8_t decay) {
        instrument.start = start;
        instrument.decay = decay;
        ASSERT_EQ(prepareInstrumentPreview(instrument, preview, envelope), ErrorCode::Ok);
    }
    uint32_t snap(uint32_t position) const { return snapToZeroCrossing(preview.data, preview.count, position); }
};

}  // namespace

TEST_F(MarkerTone, AMarkerGoesToTheNearestSignChangeAndStaysInSilence) {
    prepare(0, 255);
    const std::pair<uint32_t, uint32_t> cases[] = {
        {1020, 1000}, {1030, 1050}, {1025, 1000},  // a tie goes to the earlier crossing
        {1050, 1050}, {1049, 1050}, {1001, 1000}, {2980, 3000}, {3030, 3050},
        {500, 500},   {999, 999},   {4020, 4020},  // silence is snapped already
        {4499, 4499}, {4500, 4500},
    };
    for (const auto& [position, snapped] : cases) EXPECT_EQ(snap(position), snapped) << position;
}

// The preview is the sound as it plays: untouched before the start point,
// silent once the decay has run out.
TEST_F(MarkerTone, TheSoundIsThePreviewWithItsFade) {
    prepare(2000, 1);  // the fade lasts 682 samples: silent from 2682 on
    EXPECT_EQ(snap(1020), 1000u);
    EXPECT_EQ(snap(2020), 2000u);
    EXPECT_EQ(snap(2980), 2980u);
    EXPECT_EQ(snap(2700), 2700u);
}

TEST_F(MarkerTone, StartAndEndKeepTheirOrderAndASoundKeepsASample) {
    prepare(0, 255);
    const std::pair<PlayedSpan, PlayedSpan> cases[] = {
        {{1020, 2980}, {1000, 3000}},
        {{1048, 1049}, {1000, 1050}},  // the start may not pass the end
        {{1040, 1060}, {1050, 1100}},  // nor may the end reach the start
        {{1070, 1070}, {1050, 1050}},  // an empty span stays empty
        {{1020, 9999}, {1000, 4500}},  // held to the sound
    };
    for (const auto& [span, snapped] : cases) {
        PlayedSpan got = snapPlayedSpan(preview.data, preview.count, span);
        EXPECT_EQ(got.start, snapped.start) << span.start << ".." << span.end;
        EXPECT_EQ(got.end, snapped.end) << span.start << ".." << span.end;
    }
}

TEST(ZeroCrossing, IsSoughtAtMostTheWindowAwayAndWithinTheBoundsGiven) {
    // One sign change at 200 besides the edges of the sound.
    std::vector<float> x(400, 0.5f);
    std::fill(x.begin() + 200, x.end(), -0.5f);
    static_assert(kSnapWindowSamples == 76, "2 ms at 37908 Hz");
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 124), 200u);
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 123), 123u);
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 60), 0u);
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 350), 400u);
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 150, 0, 190), 150u);
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 300, 0, 250), 200u);  // held to the bounds first
    EXPECT_EQ(snapToZeroCrossing(x.data(), 400, 210, 205, 400), 210u);
    EXPECT_EQ(snapToZeroCrossing(nullptr, 0, 5), 0u);
}
