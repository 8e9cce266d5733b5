#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/load_sample_command.h"
#include "test_files.h"

namespace {

// Answers the open dialog with `choice` ("" cancels) and records what was shown.
struct SampleDialogs {
    std::string choice;
    int dialogs = 0;
    std::vector<std::u16string> errors;
    UserDialogs table = {this, nullptr, showError, chooseFileToOpen, nullptr};

    static void showError(void* context, Utf16View text) {
        static_cast<SampleDialogs*>(context)->errors.emplace_back(text.units, text.length);
    }
    static bool chooseFileToOpen(void* context, FileKind kind, PathBuffer& path) {
        SampleDialogs& self = *static_cast<SampleDialogs*>(context);
        EXPECT_EQ(kind, FileKind::Sample);
        ++self.dialogs;
        assignText(path, viewOf(self.choice));
        return !self.choice.empty();
    }
};

struct LoadSampleTest : ::testing::Test {
    CardDocument document = {};
    SampleDialogs dialogs;
    const float* oldSamples = nullptr;

    void SetUp() override {
        resetDocument(document);
        Instrument* instrument = appendInstrument(document);
        assignText(instrument->name, viewOf("Inst 1"));
        ASSERT_FALSE(failed(resizeBuffer(instrument->samples, 5000)));
        for (uint32_t i = 0; i < 5000; ++i) instrument->samples.data[i] = 0.25f;
        instrument->start = 10;
        instrument->end = 4000;
        instrument->decay = 7;
        instrument->boost = 3;
        oldSamples = instrument->samples.data;
    }
    void TearDown() override { releaseDocument(document); }
    void expectUntouched() {
        const Instrument& instrument = *instrumentAt(document, 0);
        EXPECT_EQ(std::string(instrument.name.units, instrument.name.length), "Inst 1");
        EXPECT_EQ(instrument.samples.data, oldSamples);
        EXPECT_EQ(instrument.samples.count, 5000u);
        EXPECT_EQ(instrument.start, 10u);
        EXPECT_EQ(instrument.end, 4000u);
        EXPECT_EQ(instrument.decay, 7);
        EXPECT_EQ(instrument.boost, 3);
        EXPECT_FALSE(document.modified);
    }
};

}  // namespace

TEST_F(LoadSampleTest, NoSelectionACancelOrAFailedImportKeepsTheInstrument) {
    for (int32_t selection : {-1, 1, 8}) EXPECT_FALSE(loadSampleCommand(document, selection, dialogs.table));
    EXPECT_EQ(dialogs.dialogs, 0);
    EXPECT_FALSE(loadSampleCommand(document, 0, dialogs.table));  // cancelled
    EXPECT_EQ(dialogs.dialogs, 1);
    EXPECT_TRUE(dialogs.errors.empty());
    expectUntouched();

    ScratchFolder folder;
    // Cut off: the RIFF header promises 100 bytes.
    std::string damaged = folder.file("damaged.wav");
    writeFileBytes(damaged, {'R', 'I', 'F', 'F', 100, 0, 0, 0, 'W', 'A', 'V', 'E'});
    for (const std::string& choice : {damaged, folder.file("absent.wav"), folder.file("song.mp3")}) {
        SCOPED_TRACE(choice);
        dialogs.errors.clear();
        dialogs.choice = choice;
        EXPECT_TRUE(loadSampleCommand(document, 0, dialogs.table));
        EXPECT_EQ(dialogs.errors, std::vector<std::u16string>{u"The file couldn't be imported"});
        expectUntouched();
    }
}

TEST_F(LoadSampleTest, AnImportedSampleReplacesTheOldOneAndMarksTheCard) {
    dialogs.choice = std::string(CORVANE_FIXTURES_DIR) + "/wav_f32_stereo.wav";
    EXPECT_TRUE(loadSampleCommand(document, 0, dialogs.table));
    EXPECT_TRUE(dialogs.errors.empty());
    const Instrument& instrument = *instrumentAt(document, 0);
    EXPECT_NE(instrument.samples.count, 5000u);
    EXPECT_EQ(instrument.end, instrument.samples.count);
    EXPECT_EQ(instrument.boost, 3);  // kept
    EXPECT_TRUE(document.modified);
}
