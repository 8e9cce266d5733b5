#include "app/command_line_win.h"

#include <shellapi.h>

#include "core/text_win.h"

// The longest path the file layer hands to the system, terminator excluded.
constexpr uint32_t kMaxArgumentUnits = 260;

bool cardFileArgument(const wchar_t* commandLine, PathBuffer& path) {
    clearText(path);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments) return false;
    bool found = false;
    if (count >= 2) {
        Utf16View argument = viewOfWide(arguments[1]);
        // 260 units take at most 780 UTF-8 bytes, so nothing is cut.
        if (argument.length != 0 && argument.length <= kMaxArgumentUnits) {
            PathBuffer given = {};
            appendUtf16AsUtf8(given, argument);
            found = !failed(absolutePath(viewOf(given), path));
        }
    }
    LocalFree(arguments);
    if (!found) clearText(path);
    return found;
}

bool cardFileFromCommandLine(PathBuffer& path) { return cardFileArgument(GetCommandLineW(), path); }
