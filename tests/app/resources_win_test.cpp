#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "app/version_resource_win.h"
#include "corvane_version.h"

namespace {

// The sizes listed in the icon group's directory (GRPICONDIR): a 0 byte means 256.
std::vector<int> iconGroupSizes(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kIconId), RT_GROUP_ICON);
    if (!found) return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    int count = data[4] | data[5] << 8;
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + 14 * i;
        sizes.push_back(entry[0] ? entry[0] : 256);
        EXPECT_EQ(entry[0], entry[1]) << "square icons";
        EXPECT_EQ(entry[6], 32) << "bits per pixel: with an alpha channel";
    }
    return sizes;
}

}  // namespace

// Each entry found by the number the window acts on, in whichever submenu it is.
TEST(Resources, TheMenuHasTheFileEditViewAndHelpCommands) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102));  // the number others load it by
    ASSERT_NE(menu, nullptr);
    const std::pair<UINT, std::wstring> entries[] = {
        {40001, L"&New\tCtrl+N"}, {40002, L"&Open...\tCtrl+O"}, {40003, L"&Save\tCtrl+S"},
        {40004, L"S&ave As..."}, {40005, L"E&xit\tAlt+F4"}, {40006, L"&About..."},
        {40007, L"&Hear as on the Card"}, {40008, L"&Undo\tCtrl+Z"}, {40009, L"&Redo\tCtrl+Y"},
        {40010, L"&Trim Silence\tCtrl+T"}, {40011, L"&Snap Markers to Zero Crossings"},
        {40012, L"&Dither the Card's 8 Bits"}};
    for (const auto& [id, text] : entries) {
        wchar_t found[64] = {};
        GetMenuStringW(menu, id, found, 64, MF_BYCOMMAND);
        EXPECT_EQ(found, text) << id;
    }
    DestroyMenu(menu);
}

// The project's version reaches the version block, and the caption built from it.
TEST(Resources, TheVersionBlockAndTheCaptionCarryTheProjectsVersion) {
    ApplicationTitle title = {};
    buildApplicationTitle(title, GetModuleHandleW(nullptr));
    EXPECT_EQ(std::u16string(title.units, title.length), u"Corvane v" CORVANE_VERSION);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, DWORD(block.size()), block.data()));
    for (const wchar_t* leaf : {L"\\StringFileInfo\\000904B0\\FileVersion", L"\\StringFileInfo\\000904B0\\ProductVersion"}) {
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), leaf, reinterpret_cast<void**>(&value), &length)) << leaf;
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(value)), u"" CORVANE_VERSION_TEXT) << leaf;
    }
    HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))), SizeofResource(nullptr, manifest));
    EXPECT_NE(text.find("name=\"Quellbrook.Corvane\" version=\"" CORVANE_VERSION_TEXT "\""), std::string::npos);
}

TEST(Resources, TheIconComesInEverySizeUpTo256) {
    std::vector<int> sizes = {48, 16, 20, 24, 32, 40, 64, 96, 128, 256};  // 48 first: the About box shows it
    EXPECT_EQ(iconGroupSizes(GetModuleHandleW(nullptr)), sizes);
}
