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

TEST(CommandLine, TheFirstArgumentIsTheCardFileMadeAbsoluteOrThereIsNone) {
    std::wstring tooLong = L"corvane.exe C:\\" + std::wstring(300, L'a') + L".vxcor";
    const struct {
        const wchar_t* commandLine;
        std::string path;
    } cases[] = {
        {L"\"C:\\My Apps\\corvane.exe\" \"C:\\My Cards\\a.vxcor\" C:\\b.vxcor", "C:\\My Cards\\a.vxcor"},
        {L"corvane.exe C:\\Kl\u00e4nge\\\u266b.vxcor", "C:\\Kl\xc3\xa4nge\\\xe2\x99\xab.vxcor"},  // as UTF-8
        {L"corvane.exe drums.vxcor", currentFolder() + "drums.vxcor"},
        {L"corvane.exe", "(none)"},
        {L"corvane.exe \"\"", "(none)"},
        {tooLong.c_str(), "(none)"},
    };
    for (const auto& c : cases) EXPECT_EQ(firstArgument(c.commandLine), c.path) << c.path;
}
