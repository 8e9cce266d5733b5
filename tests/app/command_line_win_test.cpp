#include <gtest/gtest.h>

#include <string>

#include "app/command_line_win.h"
#include "core/text_win.h"

namespace {

std::string firstArgument(const wchar_t* commandLine) {
    PathBuffer path = {};
    appendText(path, viewOf("stale"));
    if (!cardFileArgument(commandLine, path)) return path.length == 0 ? "(none)" : "(none, but not cleared)";
    return std::string(path.units, path.length);
}

// The current folder with a trailing backslash, in UTF-8.
std::string currentFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    Utf8Buffer<1024> utf8 = {};
    appendUtf16AsUtf8(utf8, viewOfWide(folder));
    std::string text(utf8.units, utf8.length);
    return text.back() == '\\' ? text : text + "\\";
}

}  // namespace

TEST(CommandLine, TheFirstArgumentIsTheCardFileMadeAbsolute) {
    EXPECT_EQ(firstArgument(L"corvane.exe C:\\Cards\\drums.vxcor"), "C:\\Cards\\drums.vxcor");
    EXPECT_EQ(firstArgument(L"\"C:\\Program Files\\Corvane\\corvane.exe\" \"C:\\My Cards\\Big Drums.vxcor\""),
              "C:\\My Cards\\Big Drums.vxcor");
    // Only the first argument counts.
    EXPECT_EQ(firstArgument(L"corvane.exe C:\\a.vxcor C:\\b.vxcor"), "C:\\a.vxcor");
    // Non-ASCII names arrive as UTF-8.
    EXPECT_EQ(firstArgument(L"corvane.exe \"C:\\Kl\u00e4nge\\Tr\u00f6mmel \u266b.vxcor\""),
              "C:\\Kl\xc3\xa4nge\\Tr\xc3\xb6mmel \xe2\x99\xab.vxcor");
    // A name alone is taken in the current folder.
    EXPECT_EQ(firstArgument(L"corvane.exe drums.vxcor"), currentFolder() + "drums.vxcor");
}

TEST(CommandLine, NoUsableArgumentGivesNone) {
    EXPECT_EQ(firstArgument(L"corvane.exe"), "(none)");
    EXPECT_EQ(firstArgument(L"\"C:\\Program Files\\Corvane\\corvane.exe\"   "), "(none)");
    EXPECT_EQ(firstArgument(L"corvane.exe \"\""), "(none)");
    std::wstring tooLong = L"corvane.exe C:\\" + std::wstring(300, L'a') + L".vxcor";
    EXPECT_EQ(firstArgument(tooLong.c_str()), "(none)");
}
