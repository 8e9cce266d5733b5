#pragma once
#include <windows.h>

#include "app/user_dialogs.h"
#include "app/window_title.h"

// The program's settings under HKEY_CURRENT_USER: the folders last used in
// the file dialogs, each with its trailing backslash.
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Quellbrook\\Corvane";
constexpr wchar_t kLastCardPathValue[] = L"LastCardPath";
constexpr wchar_t kLastSamplePathValue[] = L"LastSamplePath";

// Paths in the file dialogs, in UTF-16 units with the terminator.
constexpr uint32_t kDialogPathCapacity = 260;
using DialogPath = WideBuffer<kDialogPathCapacity>;

// The folder remembered in `value`, terminated; false (and empty) when it
// cannot be read, which leaves the dialog in its default place.
bool readRememberedFolder(const wchar_t* value, DialogPath& folder);

// Remembers the folder of a chosen file: the path up to and including the
// backslash before its name. A failed write only loses the remembered folder.
void rememberFolderOf(const wchar_t* value, const wchar_t* filePath);

// Whose dialogs they are: the main window owns every box, captioned with the
// application title.
struct DialogOwner {
    HWND window;
    const ApplicationTitle* caption;
};

// The message boxes and file dialogs of the program. The table points at
// `owner`, which must stay where it is while the table is used.
UserDialogs makeUserDialogs(DialogOwner& owner);
