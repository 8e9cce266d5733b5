#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/import_files.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

// A card with `instruments` instruments, and a valid mono 16-bit WAV of 500
// frames at the working rate beside a file that is not one.
struct ImportFiles : ::testing::Test {
    ScratchFolder folder;
    std::string good = folder.file("good.wav"), bad = folder.file("bad.wav"), mp3 = folder.file("song.mp3");
    CardDocument document = {};
    std::vector<FileImport> results;
    void SetUp() override {
        using namespace sample_files::wav;
        std::vector<int16_t> level(500, -8192);
        writeFileBytes(good, riff({chunk("fmt ", format(1, 1, 37908, 16)), chunk("data", s16(level))}));
        writeFileBytes(bad, {'R', 'I', 'F', 'F', 1, 2});
        resetDocument(document);
    }
    void TearDown() override { releaseDocument(document); }
    uint32_t import(uint32_t instruments, const std::vector<std::string>& paths) {
        for (uint32_t i = 0; i < instruments; ++i) addNamedInstrument(document);
        std::vector<Utf8View> views;
        for (const std::string& path : paths) views.push_back(viewOf(path));
        FileImportReport report = {&results, [](void* c, Utf8View, FileImport result, ErrorCode) {
                                       static_cast<std::vector<FileImport>*>(c)->push_back(result);
                                   }};
        return importFilesAsInstruments(document, views.data(), uint32_t(views.size()), &report);
    }
};

std::u16string failureText(uint32_t n) {
    WideBuffer<kImportFailureTextCapacity> text = {};
    buildImportFailureText(text, n);
    return std::u16string(text.units, text.length);
}

}  // namespace

TEST_F(ImportFiles, AddsAnInstrumentPerFileAndRemovesFailedOnes) {
    EXPECT_EQ(import(5, {bad, good, mp3}), 2u);
    ASSERT_EQ(document.instruments.count, 6u);
    const Instrument& added = *instrumentAt(document, 5);
    EXPECT_EQ(std::string(added.name.units, added.name.length), "good");
    EXPECT_EQ(added.samples.count, 500u);
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(results, std::vector<FileImport>({FileImport::Failed, FileImport::Imported, FileImport::Failed}));
}

TEST_F(ImportFiles, FilesBeyondTheEighthInstrumentAreLeftOut) {
    EXPECT_EQ(import(2, std::vector<std::string>(10, good)), 0u);
    EXPECT_EQ(document.instruments.count, 8u);
    ASSERT_EQ(results.size(), 10u);
    EXPECT_EQ(results[5], FileImport::Imported);
    EXPECT_EQ(results[6], FileImport::LeftOut);
    EXPECT_EQ(results[9], FileImport::LeftOut);
}

TEST(ImportFailureText, CountsTheFiles) {
    EXPECT_EQ(failureText(1), u"The file couldn't be imported");
    EXPECT_EQ(failureText(2), u"2 files couldn't be imported");
    EXPECT_EQ(failureText(10), u"10 files couldn't be imported");
}
