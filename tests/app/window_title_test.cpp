#include <gtest/gtest.h>

#include <string>

#include "app/window_title.h"

// "Unnamed" and plain names are seen in the real window's caption; here a name decoded from UTF-8.
TEST(WindowTitle, NamesTheCardFileWithoutFolderOrExtension) {
    WindowTitle title = {};
    std::string path = std::string("C:") + kPathSeparator + "Karten" + kPathSeparator;
    path += "Gr\xC3\xBC\xC3\x9F" "e.vxcor";
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), Utf8View{path.data(), uint32_t(path.size())}, true);
    EXPECT_EQ(std::u16string(title.units, title.length), u"Corvane v1.0.0 - Gr\u00FC\u00DFe*");
}

// The program's own 1.0.0.0 cannot tell the parts apart: the fourth is left out.
TEST(WindowTitle, TheVersionIsProductVersionsFirstThreeParts) {
    ApplicationTitle title = {};
    appendVersionSuffix(title, 0x00020005, 0x00070009);
    EXPECT_EQ(std::u16string(title.units, title.length), u" v2.5.7");
}
