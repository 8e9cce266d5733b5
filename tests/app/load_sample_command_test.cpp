#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/load_sample_command.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

// A card of `count` instruments with samples and settings; the open dialog
// answers with `choice` (empty: cancelled) and `beyond` files it could not hold.
struct LoadSampleTest : ::testing::Test {
    CardDocument document = {};
    ScratchFolder folder;
    std::vector<std::string> choice;
    uint32_t beyond = 0;
    int dialogs = 0;
    std::vector<std::u16string> errors;
    UserDialogs table = {this,
                         nullptr,
                         [](void* test, Utf16View text) { of(test).errors.emplace_back(text.units, text.length); },
                         nullptr,
                         nullptr,
                         [](void* test, ChosenFiles& files) {
                             LoadSampleTest& me = of(test);
                             ++me.dialogs;
                             files.count = uint32_t(me.choice.size());
                             files.beyond = me.beyond;
                             for (uint32_t i = 0; i < files.count; ++i) assignText(files.paths[i], viewOf(me.choice[i]));
                             return !me.choice.empty();
                         }};

    static LoadSampleTest& of(void* test) { return *static_cast<LoadSampleTest*>(test); }
    void SetUp() override { resetDocument(document); }
    void TearDown() override { releaseDocument(document); }
    void addInstruments(uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            Instrument* instrument = addNamedInstrument(document);  // a default name, which an import replaces
            float* samples = nullptr;
            ASSERT_FALSE(failed(makeSamples(instrument->samples, 5000, samples)));
            instrument->start = 10;
            instrument->end = 4000;
            instrument->decay = 7;
        }
    }
    auto state(uint32_t index) {
        const Instrument& i = *instrumentAt(document, index);
        return std::make_tuple(std::string(i.name.units, i.name.length), i.samples.data, i.samples.count, i.start,
                               i.end, i.decay);
    }
    std::string name(uint32_t index) {
        const Instrument& i = *instrumentAt(document, index);
        return std::string(i.name.units, i.name.length);
    }
    // A good sample file of that name in the test's folder.
    std::string sample(const std::string& name) {
        std::string path = folder.file(name);
        writeFileBytes(path, readFileBytes(std::string(CORVANE_FIXTURES_DIR) + "/wav_u8_mono.wav"));
        return path;
    }
    // The data chunk claims more than the file holds: the decoding fails.
    std::string damaged() {
        sample_files::Bytes bytes = sample_files::wav::mono16(std::vector<int16_t>(100, 1000));
        bytes.resize(bytes.size() - 7);
        return sample_files::written(folder, "damaged.wav", bytes);
    }
    LoadSampleOutcome load(int32_t selection) { return loadSampleCommand(document, selection, table); }
};

void expectOutcome(const LoadSampleOutcome& outcome, bool chosen, EditKind edit, int32_t where, int32_t selection) {
    EXPECT_EQ(outcome.chosen, chosen);
    EXPECT_EQ(outcome.edit, edit);
    if (edit != EditKind::None) {
        EXPECT_EQ(outcome.where, where);
    }
    EXPECT_EQ(outcome.selection, selection);
}

}  // namespace

TEST_F(LoadSampleTest, OneFileGoesIntoTheSelectionAndOnlyAnImportedOneChangesIt) {
    addInstruments(1);
    auto before = state(0);
    EXPECT_FALSE(load(0).chosen);  // cancelled
    EXPECT_EQ(dialogs, 1);

    choice = {damaged()};
    expectOutcome(load(0), true, EditKind::None, 0, 0);
    EXPECT_EQ(errors, std::vector<std::u16string>{u"The file couldn't be imported\n\n"
                                                  u"damaged.wav: not a WAV, AIFF or AIFC file this program can read"});
    EXPECT_EQ(state(0), before);
    EXPECT_FALSE(document.modified);

    errors.clear();
    choice = {sample("kick.wav")};
    expectOutcome(load(0), true, EditKind::LoadSample, 0, 0);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(document.instruments.count, 1u);
    EXPECT_EQ(name(0), "kick");
    EXPECT_NE(state(0), before);
    EXPECT_TRUE(document.modified);
}

TEST_F(LoadSampleTest, TheOtherFilesBecomeNewInstrumentsWhileThereIsRoomAndTheRestAreNamed) {
    addInstruments(6);
    choice = {sample("a.wav"), sample("b.wav"), damaged(), sample("c.wav"), sample("d.wav"), sample("e.wav")};
    beyond = 2;
    expectOutcome(load(2), true, EditKind::AddSamples, 2, 2);
    ASSERT_EQ(document.instruments.count, 8u);
    EXPECT_EQ(name(2), "a");
    EXPECT_EQ(name(6), "b");
    EXPECT_EQ(name(7), "c");
    EXPECT_EQ(errors, std::vector<std::u16string>{u"5 files couldn't be imported\n\n"
                                                  u"damaged.wav: not a WAV, AIFF or AIFC file this program can read\n"
                                                  u"d.wav: left out: the card already holds 8 instruments\n"
                                                  u"e.wav: left out: the card already holds 8 instruments\n"
                                                  u"and 2 more"});
    // A full card without a selection asks nothing.
    dialogs = 0;
    expectOutcome(load(-1), false, EditKind::None, -1, -1);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(LoadSampleTest, OnAnEmptyCardEveryFileAddsAnInstrumentAndFilesThatFailChangeNothing) {
    choice = {sample("kick.wav"), sample("snare.wav")};
    expectOutcome(load(-1), true, EditKind::AddSamples, -1, 0);
    ASSERT_EQ(document.instruments.count, 2u);
    EXPECT_EQ(name(0), "kick");
    EXPECT_EQ(name(1), "snare");
    EXPECT_TRUE(errors.empty());

    // A selection that failed: the first instrument added is shown.
    choice = {damaged(), sample("hat.wav")};
    expectOutcome(load(1), true, EditKind::AddSamples, 1, 2);
    EXPECT_EQ(name(1), "snare");
    EXPECT_EQ(name(2), "hat");

    // Nothing imported: the card, unsaved changes or not, is as it was.
    document.modified = false;
    choice = {damaged(), damaged()};
    expectOutcome(load(-1), true, EditKind::None, -1, -1);
    EXPECT_EQ(document.instruments.count, 3u);
    EXPECT_FALSE(document.modified);
}
