#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cardfile/card_file.h"
#include "import/import_sample.h"
#include "sample_files.h"
#include "test_files.h"

// What a file may make the import do: never convert from a rate so low that
// a few bytes become megabytes, never start reading a file far too large.

using namespace sample_files;

namespace {

ErrorCode importInto(Instrument& instrument, const std::string& path, const Bytes& bytes) {
    writeFileBytes(path, bytes);
    return importSample(instrument, viewOf(path));
}

}  // namespace

TEST(ImportBounds, RatesBelow4000HzAreRefusedBeforeAnythingIsConverted) {
    ScratchFolder folder;
    Instrument instrument = {};
    std::vector<int16_t> values(400, 1000);
    Bytes at3999 = wav::riff({wav::chunk("fmt ", wav::format(1, 1, 3999, 16)), wav::chunk("data", wav::s16(values))});
    EXPECT_EQ(importInto(instrument, folder.file("low.wav"), at3999), ErrorCode::NotSupported);
    // 1 Hz: exponent 16383, integer bit set
    Bytes at1 = aiff::form("AIFF", {aiff::common(1, 400, 16, aiff::Extended{0x3FFF, 0x8000000000000000}), aiff::sound(aiff::s16(values))});
    EXPECT_EQ(importInto(instrument, folder.file("low.aif"), at1), ErrorCode::NotSupported);
    EXPECT_EQ(instrument.samples.count, 0u);
    EXPECT_EQ(instrument.name.length, 0u);

    // 4000 Hz itself converts: 400 frames become 400 * 37908 / 4000.
    Bytes at4000 = wav::riff({wav::chunk("fmt ", wav::format(1, 1, 4000, 16)), wav::chunk("data", wav::s16(values))});
    EXPECT_EQ(importInto(instrument, folder.file("lowest.wav"), at4000), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 3790u);
    // A file without frames has nothing to convert, whatever its rate.
    Bytes empty = wav::riff({wav::chunk("fmt ", wav::format(1, 1, 1, 16)), wav::chunk("data", {})});
    EXPECT_EQ(importInto(instrument, folder.file("empty.wav"), empty), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 0u);
    releaseBuffer(instrument.samples);
}

// A 2 GiB file (sparse: it takes no room) is refused from its size alone.
TEST(ImportBounds, TwoGibibyteFilesAreRefusedUnread) {
    ScratchFolder folder;
    for (const char* name : {"huge.wav", "huge.aif", "huge.vxcor"}) {
        SCOPED_TRACE(name);
        std::string path = folder.file(name);
        writeFileBytes(path, wav::mono16({1, 2, 3}));
        std::filesystem::resize_file(std::filesystem::u8path(path), 2ull * 1024 * 1024 * 1024);
        Instrument instrument = {};
        CardDocument document = {};
        resetDocument(document);
        ErrorCode code = std::string(name) == "huge.vxcor" ? readCardFile(document, viewOf(path))
                                                           : importSample(instrument, viewOf(path));
        EXPECT_EQ(code, ErrorCode::TooLarge);
        EXPECT_EQ(instrument.samples.count, 0u);
        releaseDocument(document);
    }
}
