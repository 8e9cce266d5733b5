#include <gtest/gtest.h>

#include <string>

#include "import/import_messages.h"

// Each failed file gets a line of its own, whole or not at all, and the count
// is always right however many failed and however long their names.
TEST(ImportFailureText, NamesFilesWholeAndCountsTheRest) {
    ImportFailures failures = {};
    const std::string longName = "/samples/" + std::string(900, 'x') + ".wav";
    noteImportFailure(failures, viewOf(longName.c_str()), ErrorCode::InvalidFormat);
    for (int i = 0; i < 9; ++i)
        noteImportFailure(failures, viewOf(("/samples/kick" + std::to_string(i) + ".wav").c_str()), ErrorCode::NotFound);
    WideBuffer<kImportFailureTextCapacity> text = {};
    buildImportFailureText(text, failures);
    std::u16string shown(text.units, text.length);
    std::u16string expected = u"10 files couldn't be imported\n\n";
    for (int i = 0; i < 8; ++i)
        expected += u"kick" + std::u16string(1, char16_t(u'0' + i)) + u".wav: the file was not found\n";
    expected += u"and 2 more";
    EXPECT_EQ(shown, expected);
}
