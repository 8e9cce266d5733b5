#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/import_files.h"
#include "import/sample_files.h"
#include "test_files.h"

// Five instruments, then a file that is not a WAV, a valid mono 16-bit WAV
// of 500 frames, an MP3 and four more WAVs: the failed ones leave their
// instruments free, and the card holds eight, so the last WAV is left out.
TEST(ImportFiles, AddsAnInstrumentPerFileRemovesFailedOnesAndStopsAtEight) {
    using namespace sample_files;
    ScratchFolder folder;
    Bytes wav = wav::withData(wav::format(1, 1, 37908, 16), wav::s16(std::vector<int16_t>(500, -8192)));
    std::string good = written(folder, "good.wav", wav), mp3 = folder.file("song.mp3");
    std::string bad = written(folder, "bad.wav", {'R', 'I', 'F', 'F', 1, 2});
    std::vector<Utf8View> paths;
    for (const std::string* path : {&bad, &good, &mp3, &good, &good, &good, &good}) paths.push_back(viewOf(*path));
    CardDocument document = {};
    resetDocument(document);
    for (int i = 0; i < 5; ++i) addNamedInstrument(document);
    std::vector<FileImport> results;
    FileImportReport report = {&results, [](void* c, Utf8View, FileImport result, ErrorCode) {
                                   static_cast<std::vector<FileImport>*>(c)->push_back(result);
                               }};
    EXPECT_EQ(importFilesAsInstruments(document, paths.data(), uint32_t(paths.size()), &report), 2u);
    using F = FileImport;
    EXPECT_EQ(results, std::vector<FileImport>({F::Failed, F::Imported, F::Failed, F::Imported, F::Imported,
                                                F::LeftOut, F::LeftOut}));
    ASSERT_EQ(document.instruments.count, 8u);
    const Instrument& added = *instrumentAt(document, 5);
    EXPECT_EQ(std::string(added.name.units, added.name.length), "good");
    EXPECT_EQ(added.samples.count, 500u);
    EXPECT_TRUE(document.modified);
    releaseDocument(document);
}

TEST(ImportFailureText, CountsTheFiles) {
    auto failureText = [](uint32_t n) {
        WideBuffer<kImportFailureTextCapacity> text = {};
        buildImportFailureText(text, n);
        return std::u16string(text.units, text.length);
    };
    EXPECT_EQ(failureText(1), u"The file couldn't be imported");
    EXPECT_EQ(failureText(2), u"2 files couldn't be imported");
    EXPECT_EQ(failureText(10), u"10 files couldn't be imported");
}
