#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/load_sample_command.h"
#include "test_files.h"

namespace {

// One instrument with samples; the open dialog answers with `choice` ("" cancels).
// What an import keeps or changes is the import tests'.
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
        ASSERT_FALSE(failed(resizeBuffer(appendInstrument(document)->samples, 5000)));
    }
    void TearDown() override { releaseDocument(document); }
    uint32_t sampleCount() { return instrumentAt(document, 0)->samples.count; }
};

}  // namespace

TEST_F(LoadSampleTest, OnlyAnImportedSampleChangesTheInstrumentAndMarksTheCard) {
    for (int32_t selection : {-1, 1}) EXPECT_FALSE(loadSampleCommand(document, selection, table));
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(loadSampleCommand(document, 0, table));  // cancelled
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(errors.empty());

    ScratchFolder folder;
    choice = folder.file("absent.wav");
    EXPECT_TRUE(loadSampleCommand(document, 0, table));
    EXPECT_EQ(errors, std::vector<std::u16string>{u"The file couldn't be imported"});
    EXPECT_EQ(sampleCount(), 5000u);
    EXPECT_FALSE(document.modified);

    errors.clear();
    choice = std::string(CORVANE_FIXTURES_DIR) + "/wav_f32_stereo.wav";
    EXPECT_TRUE(loadSampleCommand(document, 0, table));
    EXPECT_TRUE(errors.empty());
    EXPECT_NE(sampleCount(), 5000u);
    EXPECT_TRUE(document.modified);
}
