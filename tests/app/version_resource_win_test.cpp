#include <gtest/gtest.h>

#include <string>

#include "app/version_resource_win.h"

static std::u16string asString(const ApplicationTitle& b) { return std::u16string(b.units, b.length); }

// The version block is read back from a real module through the system's version API.
static std::u16string titleOf(const wchar_t* library) {
    HMODULE module = LoadLibraryW(library);
    EXPECT_NE(module, nullptr) << "cannot load the fixture library";
    ApplicationTitle title = {};
    appendText(title, viewOf(u"stale"));
    buildApplicationTitle(title, module);
    if (module) FreeLibrary(module);
    return asString(title);
}

TEST(ApplicationTitle, ComesFromProductNameAndProductVersion) {
    EXPECT_EQ(titleOf(L"version_2579.dll"), u"Corvane v2.5.7");
}

TEST(ApplicationTitle, IsEmptyWithoutATranslationTable) {
    EXPECT_EQ(titleOf(L"no_translation.dll"), u"");
}

TEST(ApplicationTitle, ReadsTheLegalNotice) {
    HMODULE module = LoadLibraryW(L"version_2579.dll");
    ASSERT_NE(module, nullptr);
    ApplicationTitle notice = {};
    readLegalNotice(notice, module);
    EXPECT_EQ(asString(notice), u"\u00a9 2026 Quellbrook");
    FreeLibrary(module);
}
