#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "core/card_history.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A card of three instruments with samples of their own, and its history.
struct HistoryTest : ::testing::Test {
    CardDocument document = {};
    CardHistory history = {};
    ScratchFolder folder;
    uint64_t now = 1000000;

    void SetUp() override {
        resetDocument(document);
        for (int i = 0; i < 3; ++i) addInstrument(1000 * (i + 1));
        ASSERT_EQ(startHistory(history, document, 0, true), ErrorCode::Ok);
    }
    void TearDown() override {
        releaseHistory(history);
        releaseDocument(document);
    }
    void addInstrument(uint32_t count) {
        Instrument* instrument = addNamedInstrument(document);
        float* samples = nullptr;
        ASSERT_EQ(makeSamples(instrument->samples, count, samples), ErrorCode::Ok);
        for (uint32_t i = 0; i < count; ++i) samples[i] = float(i % 50) / 50.0f;
        instrument->end = count;
        instrument->decay = 3;
    }
    // The card as the card-file writer puts it: every field and sample, byte for byte.
    Bytes saved() {
        std::string path = folder.file("card.vxcor");
        EXPECT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
        return readFileBytes(path);
    }
    void record(EditKind kind, int32_t where, int32_t selection, bool mergeable = false) {
        ASSERT_EQ(recordEdit(history, document, kind, where, selection, mergeable, now), ErrorCode::Ok);
    }
    int32_t undo() {
        int32_t selection = -2;
        EXPECT_TRUE(undoEdit(history, document, selection));
        return selection;
    }
    int32_t redo() {
        int32_t selection = -2;
        EXPECT_TRUE(redoEdit(history, document, selection));
        return selection;
    }
};

}  // namespace

// Each edit undone gives back the card as it was, byte for byte, and redone the card after it;
// the instrument to show is the one the edit worked on.
TEST_F(HistoryTest, UndoAndRedoPutBackTheCardByteForByte) {
    std::vector<Bytes> cards = {saved()};
    removeInstrument(document, 1);
    record(EditKind::RemoveInstrument, 1, 0);
    cards.push_back(saved());
    moveInstrument(document, 0, 1);
    record(EditKind::MoveInstrument, 0, 1);
    cards.push_back(saved());
    Instrument& shown = *instrumentAt(document, 1);
    shown.start = 17;
    shown.decay = 40;
    shown.downsample = true;
    setCardName(document, viewOf(u"Drums"));
    record(EditKind::ChangeDecay, 1, 1);
    cards.push_back(saved());

    EXPECT_EQ(undoKind(history), EditKind::ChangeDecay);
    EXPECT_EQ(undo(), 1);
    EXPECT_EQ(saved(), cards[2]);
    EXPECT_EQ(undo(), 0);  // the move, from where it was taken
    EXPECT_EQ(saved(), cards[1]);
    EXPECT_EQ(undoKind(history), EditKind::RemoveInstrument);
    EXPECT_EQ(undo(), 1);  // the removed instrument comes back, and is shown
    EXPECT_EQ(saved(), cards[0]);
    EXPECT_FALSE(canUndo(history));
    EXPECT_FALSE(document.modified);  // back where the card was saved

    EXPECT_EQ(redoKind(history), EditKind::RemoveInstrument);
    EXPECT_EQ(redo(), 0);
    EXPECT_EQ(redo(), 1);
    EXPECT_EQ(redo(), 1);
    EXPECT_EQ(saved(), cards[3]);
    EXPECT_TRUE(document.modified);
    EXPECT_FALSE(canRedo(history));

    // A new edit after an undo: what could have been redone is gone.
    undo();
    instrumentAt(document, 0)->boost = 4;
    record(EditKind::ChangeBoost, 0, 0);
    EXPECT_FALSE(canRedo(history));
    EXPECT_EQ(undo(), 0);
    EXPECT_EQ(saved(), cards[2]);
}

// The samples are the document's own: removed and undone, the same block comes back, not a copy.
TEST_F(HistoryTest, StepsShareTheSamplesInsteadOfCopyingThem) {
    const float* samples = instrumentAt(document, 2)->samples.data;
    removeInstrument(document, 2);
    record(EditKind::RemoveInstrument, 2, 1);
    EXPECT_EQ(historyOnlySampleBytes(history), 3000u * 4);  // only the history holds them now
    undo();
    EXPECT_EQ(instrumentAt(document, 2)->samples.data, samples);
    EXPECT_EQ(historyOnlySampleBytes(history), 0u);
    // The document and the first state hold the one block; the state after the removal does not.
    EXPECT_EQ(sampleHolders(instrumentAt(document, 2)->samples), 2u);
    releaseHistory(history);
    EXPECT_EQ(sampleHolders(instrumentAt(document, 2)->samples), 1u);
}

// A run of wheel or arrow steps on one knob is one step; a pause, another
// instrument, another kind or a save starts the next.
TEST_F(HistoryTest, ARunOfLikeStepsIsOneStep) {
    Instrument& first = *instrumentAt(document, 0);
    for (int step = 1; step <= 5; ++step) {
        first.decay = uint8_t(3 + step);
        record(EditKind::ChangeDecay, 0, 0, true);
        now += 300;
    }
    now += kEditRunMs + 1;
    first.decay = 20;
    record(EditKind::ChangeDecay, 0, 0, true);
    instrumentAt(document, 1)->decay = 9;
    record(EditKind::ChangeDecay, 1, 1, true);
    first.boost = 2;
    record(EditKind::ChangeBoost, 0, 0, true);
    markSaved(history);
    first.boost = 3;
    record(EditKind::ChangeBoost, 0, 0, true);
    record(EditKind::ChangeBoost, 0, 0, true);  // nothing changed: nothing recorded

    // A run that comes back to where it began is no step at all, and leaves the card as saved.
    first.boost = 2;
    record(EditKind::ChangeBoost, 0, 0, true);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(undoKind(history), EditKind::ChangeBoost);  // the saved step's own

    // Undone one by one: the boost, the other instrument, the late step, the run.
    const std::vector<uint8_t> decays = {20, 20, 8, 3};
    for (uint8_t decay : decays) {
        ASSERT_TRUE(canUndo(history));
        undo();
        EXPECT_EQ(instrumentAt(document, 0)->decay, decay);
    }
    EXPECT_EQ(instrumentAt(document, 1)->decay, 3);
    EXPECT_FALSE(canUndo(history));
}

// The oldest steps go: beyond 200 steps, and beyond 256 MiB of samples that
// only the history holds. A card whose saved state has gone stays modified.
TEST_F(HistoryTest, TheHistoryIsBounded) {
    for (int step = 0; step < 250; ++step) {
        instrumentAt(document, 0)->start = uint32_t(step + 1);
        record(EditKind::MoveStart, 0, 0);
    }
    uint32_t undone = 0;
    int32_t selection = 0;
    while (canUndo(history)) undone += undoEdit(history, document, selection) ? 1 : 0;
    EXPECT_EQ(undone, kHistorySteps);
    EXPECT_EQ(instrumentAt(document, 0)->start, 50u);
    EXPECT_TRUE(document.modified);

    // Replaced samples of 100 MiB each (never touched, so never really in memory).
    startHistory(history, document, 0, true);
    for (int load = 0; load < 4; ++load) {
        float* samples = nullptr;
        ASSERT_EQ(makeSamples(instrumentAt(document, 1)->samples, 25u << 20, samples), ErrorCode::Ok);
        record(EditKind::LoadSample, 1, 1);
        EXPECT_LE(historyOnlySampleBytes(history), kHistorySampleBytes);
    }
    undone = 0;
    while (canUndo(history)) undone += undoEdit(history, document, selection) ? 1 : 0;
    EXPECT_EQ(undone, 2u);  // the first load and the card before it went
}
