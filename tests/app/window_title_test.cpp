#include <gtest/gtest.h>

#include <string>

#include "app/window_title.h"

// "Unnamed" and the "*" are seen in the real window's caption; here the name
// taken from a path, non-ASCII included.
TEST(WindowTitle, NamesTheCardFileWithoutFolderOrExtension) {
    WindowTitle title = {};
    std::string drums = std::string("C:") + kPathSeparator + "Cards" + kPathSeparator + "Drums.vxcor";
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), Utf8View{drums.data(), uint32_t(drums.size())}, true);
    EXPECT_EQ(std::u16string(title.units, title.length), u"Corvane v1.0.0 - Drums*");
    std::string karten = std::string("C:") + kPathSeparator + "Karten" + kPathSeparator + "Gr\xC3\xBC\xC3\x9F" "e.vxcor";
    buildWindowTitle(title, viewOf(u"Corvane v1.0.0"), Utf8View{karten.data(), uint32_t(karten.size())}, false);
    EXPECT_EQ(std::u16string(title.units, title.length), u"Corvane v1.0.0 - Gr\u00FC\u00DFe");
}
