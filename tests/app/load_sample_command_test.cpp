#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/load_sample_command.h"
#include "test_files.h"

namespace {

// An instrument with samples and settings, and the open dialog answered with
// `choice` ("" cancels).
struct LoadSampleTest : ::testing::Test {
    CardDocument document = {};
    std::string choice;
    int dialogs = 0;
    std::vector<std::u16string> errors;
    UserDialogs table = {this, nullptr,
                         [](void* test, Utf16View text) { of(test).errors.emplace_back(text.units, text.length); },
                         [](void* test, FileKind kind, PathBuffer& path) {
                             EXPECT_EQ(kind, FileKind::Sample);
                             ++of(test).dialogs;
                             assignText(path, viewOf(of(test).choice));
                             return !of(test).choice.empty();
                         },
                         nullptr};

    static LoadSampleTest& of(void* test) { return *static_cast<LoadSampleTest*>(test); }
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
    }
    void TearDown() override { releaseDocument(document); }
    auto instrumentState() {
        const Instrument& i = *instrumentAt(document, 0);
        return std::make_tuple(std::string(i.name.units, i.name.length), i.samples.data, i.samples.count, i.start,
                               i.end, i.decay, i.boost, document.modified);
    }
};

}  // namespace

TEST_F(LoadSampleTest, NoSelectionACancelOrAFailedImportKeepsTheInstrument) {
    auto before = instrumentState();
    for (int32_t selection : {-1, 1, 8}) EXPECT_FALSE(loadSampleCommand(document, selection, table));
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(loadSampleCommand(document, 0, table));  // cancelled
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(instrumentState(), before);

    ScratchFolder folder;
    // Cut off: the RIFF header promises 100 bytes.
    std::string damaged = folder.file("damaged.wav");
    writeFileBytes(damaged, {'R', 'I', 'F', 'F', 100, 0, 0, 0, 'W', 'A', 'V', 'E'});
    for (const std::string& file : {damaged, folder.file("absent.wav"), folder.file("song.mp3")}) {
        SCOPED_TRACE(file);
        errors.clear();
        choice = file;
        EXPECT_TRUE(loadSampleCommand(document, 0, table));
        EXPECT_EQ(errors, std::vector<std::u16string>{u"The file couldn't be imported"});
        EXPECT_EQ(instrumentState(), before);
    }
}

TEST_F(LoadSampleTest, AnImportedSampleReplacesTheOldOneAndMarksTheCard) {
    choice = std::string(CORVANE_FIXTURES_DIR) + "/wav_f32_stereo.wav";
    EXPECT_TRUE(loadSampleCommand(document, 0, table));
    EXPECT_TRUE(errors.empty());
    const Instrument& instrument = *instrumentAt(document, 0);
    EXPECT_NE(instrument.samples.count, 5000u);
    EXPECT_EQ(instrument.end, instrument.samples.count);
    EXPECT_EQ(instrument.boost, 3);  // kept
    EXPECT_TRUE(document.modified);
}
