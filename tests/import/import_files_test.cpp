#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/import_files.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

// A valid mono 16-bit WAV at the working rate.
std::vector<uint8_t> smallWav(uint32_t frames) {
    std::vector<int16_t> values;
    for (uint32_t i = 0; i < frames; ++i) values.push_back(int16_t((i % 64) * 256 - 8192));
    using namespace sample_files::wav;
    return riff({chunk("fmt ", format(1, 1, 37908, 16)), chunk("data", s16(values))});
}

struct Reported {
    std::vector<std::pair<std::string, FileImport>> results;
    static void report(void* c, Utf8View path, FileImport result, ErrorCode) {
        static_cast<Reported*>(c)->results.push_back({std::string(path.units, path.length), result});
    }
};

std::u16string failureText(uint32_t n) {
    WideBuffer<kImportFailureTextCapacity> text = {};
    buildImportFailureText(text, n);
    return std::u16string(text.units, text.length);
}

}  // namespace

TEST(ImportFiles, AddsAnInstrumentPerFileAndRemovesFailedOnes) {
    ScratchFolder folder;
    std::string good = folder.file("good.wav"), bad = folder.file("bad.wav"), mp3 = folder.file("song.mp3");
    writeFileBytes(good, smallWav(500));
    writeFileBytes(bad, {'R', 'I', 'F', 'F', 1, 2});
    CardDocument document = {};
    resetDocument(document);
    for (int i = 0; i < 5; ++i) addNamedInstrument(document);
    std::vector<Utf8View> paths = {viewOf(bad), viewOf(good), viewOf(mp3)};
    Reported reported;
    FileImportReport report = {&reported, Reported::report};
    EXPECT_EQ(importFilesAsInstruments(document, paths.data(), 3, &report), 2u);
    ASSERT_EQ(document.instruments.count, 6u);
    const Instrument& added = *instrumentAt(document, 5);
    EXPECT_EQ(std::string(added.name.units, added.name.length), "good");
    EXPECT_EQ(added.samples.count, 500u);
    EXPECT_TRUE(document.modified);
    ASSERT_EQ(reported.results.size(), 3u);
    EXPECT_EQ(reported.results[0].second, FileImport::Failed);
    EXPECT_EQ(reported.results[1].second, FileImport::Imported);
    EXPECT_EQ(reported.results[2].second, FileImport::Failed);
    releaseDocument(document);
}

TEST(ImportFiles, FilesBeyondTheEighthInstrumentAreLeftOut) {
    ScratchFolder folder;
    std::string good = folder.file("good.wav");
    writeFileBytes(good, smallWav(100));
    CardDocument document = {};
    resetDocument(document);
    addNamedInstrument(document);
    addNamedInstrument(document);
    std::vector<Utf8View> paths(10, viewOf(good));
    Reported reported;
    FileImportReport report = {&reported, Reported::report};
    EXPECT_EQ(importFilesAsInstruments(document, paths.data(), 10, &report), 0u);
    EXPECT_EQ(document.instruments.count, 8u);
    EXPECT_EQ(reported.results[5].second, FileImport::Imported);
    EXPECT_EQ(reported.results[6].second, FileImport::LeftOut);
    EXPECT_EQ(reported.results[9].second, FileImport::LeftOut);
    releaseDocument(document);
}

TEST(ImportFiles, FailureTextCountsTheFiles) {
    EXPECT_EQ(failureText(1), u"The file couldn't be imported");
    EXPECT_EQ(failureText(2), u"2 files couldn't be imported");
    EXPECT_EQ(failureText(10), u"10 files couldn't be imported");
}
