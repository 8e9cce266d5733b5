#include <gtest/gtest.h>

#include <string>

#include "core/memory_text.h"

static std::u16string asString(const MemoryText& t) { return std::u16string(t.units, t.length); }

TEST(MemoryTexts, ShowUsedAndFreeBytes) {
    CardDocument document = {};
    resetDocument(document);
    MemoryText used = {}, free = {};
    EXPECT_EQ(buildMemoryTexts(document, used, free), 64512);
    EXPECT_EQ(asString(used), u"1024 Byte");
    EXPECT_EQ(asString(free), u"64512 Byte");

    Instrument* big = appendInstrument(document);
    big->samples.count = big->end = 65536;  // sizes only, no storage
    big->decay = 1;
    EXPECT_EQ(buildMemoryTexts(document, used, free), -1024);
    EXPECT_EQ(asString(used), u"66560 Byte");
    EXPECT_EQ(asString(free), u"-1024 Byte");
    big->samples.count = 0;
    releaseDocument(document);
}
