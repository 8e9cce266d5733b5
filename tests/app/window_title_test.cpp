#include <gtest/gtest.h>

#include <string>

#include "app/window_title.h"

template <uint32_t C>
static std::u16string asString(const WideBuffer<C>& b) { return std::u16string(b.units, b.length); }

TEST(WindowTitle, NamesTheCardFileOrUnnamed) {
    WindowTitle title = {};
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), viewOf(""), false);
    EXPECT_EQ(asString(title), u"Corvane v1.0.0 - Unnamed");
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), viewOf(""), true);
    EXPECT_EQ(asString(title), u"Corvane v1.0.0 - Unnamed*");
    std::string drums = std::string("C:") + kPathSeparator + "Cards" + kPathSeparator + "Drums.vxcor";
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), Utf8View{drums.data(), uint32_t(drums.size())}, true);
    EXPECT_EQ(asString(title), u"Corvane v1.0.0 - Drums*");
    std::string karten = std::string("C:") + kPathSeparator + "Karten" + kPathSeparator + "Gr\xC3\xBC\xC3\x9F" "e.vxcor";
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), Utf8View{karten.data(), uint32_t(karten.size())}, false);
    EXPECT_EQ(asString(title), u"Corvane v1.0.0 - Gr\u00FC\u00DFe");
}

TEST(WindowTitle, VersionQueryPathAndSuffix) {
    VersionQueryPath path = {};
    buildVersionQueryPath(path, 0x0009, 0x04B0, viewOf(u"ProductName"));
    EXPECT_EQ(asString(path), u"\\StringFileInfo\\000904B0\\ProductName");
    buildVersionQueryPath(path, 0xABCD, 0xEF12, viewOf(u"LegalCopyright"));
    EXPECT_EQ(asString(path), u"\\StringFileInfo\\ABCDEF12\\LegalCopyright");

    ApplicationTitle title = {};
    appendText(title, viewOf(u"Corvane"));
    appendVersionSuffix(title, (2u << 16) | 5u, (7u << 16) | 9u);
    EXPECT_EQ(asString(title), u"Corvane v2.5.7");
}
