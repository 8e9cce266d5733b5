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

TEST(ImportBounds, RatesBelow4000HzAreRefusedBeforeAnythingIsConverted) {
    ScratchFolder folder;
    Instrument instrument = {};
    std::vector<int16_t> values(400, 1000);
    auto wavAt = [&](uint32_t rate, const std::vector<int16_t>& v) {
        return wav::withData(wav::format(1, 1, rate, 16), wav::s16(v));
    };
    EXPECT_EQ(importSample(instrument, viewOf(written(folder, "low.wav", wavAt(3999, values)))),
              ErrorCode::NotSupported);
    EXPECT_EQ(instrument.samples.count, 0u);
    EXPECT_EQ(instrument.name.length, 0u);

    // 4000 Hz itself converts: 400 frames become 400 * 37908 / 4000.
    EXPECT_EQ(importSample(instrument, viewOf(written(folder, "lowest.wav", wavAt(4000, values)))), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 3790u);
    // A file without frames has nothing to convert, whatever its rate.
    EXPECT_EQ(importSample(instrument, viewOf(written(folder, "empty.wav", wavAt(1, {})))), ErrorCode::Ok);
    EXPECT_EQ(instrument.samples.count, 0u);
    releaseBuffer(instrument.samples);
}

// A 2 GiB file (sparse: it takes no room) is refused from its size alone.
TEST(ImportBounds, TwoGibibyteFilesAreRefusedUnread) {
    ScratchFolder folder;
    for (const char* name : {"huge.wav", "huge.aif", "huge.vxcor"}) {
        SCOPED_TRACE(name);
        std::string path = written(folder, name, wav::mono16({1, 2, 3}));
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
