#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/load_sample_command.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

// One instrument with samples and settings; the open dialog answers with `choice` ("" cancels).
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
        assignText(instrument->name, viewOf("Inst 1"));  // a default name, which an import replaces
        float* samples = nullptr;
        ASSERT_FALSE(failed(makeSamples(instrument->samples, 5000, samples)));
        instrument->start = 10;
        instrument->end = 4000;
        instrument->decay = 7;
    }
    void TearDown() override { releaseDocument(document); }
    auto state() {
        const Instrument& i = *instrumentAt(document, 0);
        return std::make_tuple(std::string(i.name.units, i.name.length), i.samples.data, i.samples.count, i.start,
                               i.end, i.decay, document.modified);
    }
};

}  // namespace

TEST_F(LoadSampleTest, OnlyAnImportedSampleChangesTheInstrumentAndMarksTheCard) {
    auto before = state();
    for (int32_t selection : {-1, 1}) EXPECT_FALSE(loadSampleCommand(document, selection, table));
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(loadSampleCommand(document, 0, table));  // cancelled
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(errors.empty());

    // The data chunk claims more than the file holds: the decoding fails.
    sample_files::Bytes damaged = sample_files::wav::mono16(std::vector<int16_t>(100, 1000));
    damaged.resize(damaged.size() - 7);
    ScratchFolder folder;
    choice = sample_files::written(folder, "damaged.wav", damaged);
    EXPECT_TRUE(loadSampleCommand(document, 0, table));
    EXPECT_EQ(errors, std::vector<std::u16string>{u"The file couldn't be imported\n\n"
                                                  u"damaged.wav: not a WAV, AIFF or AIFC file this program can read"});
    EXPECT_EQ(state(), before);

    errors.clear();
    choice = std::string(CORVANE_FIXTURES_DIR) + "/wav_f32_stereo.wav";
    EXPECT_TRUE(loadSampleCommand(document, 0, table));
    EXPECT_TRUE(errors.empty());
    EXPECT_NE(state(), before);
    EXPECT_TRUE(document.modified);
}
