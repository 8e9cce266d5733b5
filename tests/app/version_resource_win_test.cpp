#include <gtest/gtest.h>

#include <string>

#include "app/version_resource_win.h"

// The version block is read back from a real module through the system's version API.
static std::u16string fromLibrary(const wchar_t* library, void (*read)(ApplicationTitle&, HMODULE)) {
    HMODULE module = LoadLibraryW(library);
    EXPECT_NE(module, nullptr) << "cannot load the fixture library";
    ApplicationTitle text = {};
    appendText(text, viewOf(u"stale"));
    read(text, module);
    if (module) FreeLibrary(module);
    return std::u16string(text.units, text.length);
}

TEST(ApplicationTitle, ComesFromProductNameAndProductVersionOfTheFirstTranslation) {
    EXPECT_EQ(fromLibrary(L"version_2579.dll", buildApplicationTitle), u"Corvane v2.5.7");
    EXPECT_EQ(fromLibrary(L"version_2579.dll", readLegalNotice), u"\u00a9 2026 Quellbrook");
    EXPECT_EQ(fromLibrary(L"no_translation.dll", buildApplicationTitle), u"");
}
