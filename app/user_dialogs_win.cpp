#include "app/user_dialogs_win.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "app/card_file_commands.h"
#include "core/text_win.h"
#include "import/import_sample.h"

namespace {

constexpr uint32_t kFilterCapacity = 64;
constexpr uint32_t kMessageCapacity = 512;

// "Corvane Card\0*.vxcor\0\0".
void buildCardFileFilter(WideBuffer<kFilterCapacity>& filter) {
    assignText(filter, viewOf(u"Corvane Card"));
    appendUnit(filter, 0);
    appendText(filter, viewOf(u"*.vxcor"));
    appendUnit(filter, 0);
    appendUnit(filter, 0);
}

// "Sample File\0*.wav;*.aif;*.aiff;*.aifc;*.mp3\0\0", from the import's own list.
void buildSampleFileFilter(WideBuffer<kFilterCapacity>& filter) {
    assignText(filter, viewOf(u"Sample File"));
    appendUnit(filter, 0);
    for (uint32_t i = 0; i < sizeof kSampleExtensions / sizeof kSampleExtensions[0]; ++i) {
        appendText(filter, viewOf(i == 0 ? u"*." : u";*."));
        appendUtf8AsUtf16(filter, viewOf(kSampleExtensions[i]));
    }
    appendUnit(filter, 0);
    appendUnit(filter, 0);
}

DialogOwner& ownerOf(void* context) { return *static_cast<DialogOwner*>(context); }

int showMessage(DialogOwner& owner, Utf16View text, UINT type) {
    WideBuffer<kMessageCapacity> message;
    assignText(message, text);
    terminateTextCutting(message);
    WideBuffer<kApplicationTitleCapacity + 1> caption = {};
    if (owner.caption) assignText(caption, viewOf(*owner.caption));
    terminateTextCutting(caption);
    return MessageBoxW(owner.window, wideChars(message), wideChars(caption), type);
}

SaveAnswer askToSave(void* context) {
    switch (showMessage(ownerOf(context), viewOf(kSaveQuestion), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return SaveAnswer::Yes;
    case IDNO: return SaveAnswer::No;
    default: return SaveAnswer::Cancel;  // also a box that could not be shown: the card stays
    }
}

void showError(void* context, Utf16View text) { showMessage(ownerOf(context), text, MB_OK | MB_ICONERROR); }

// The open or save dialog over the owner, in the folder remembered in
// `value`; the chosen path in UTF-8. False when cancelled or failed.
bool chooseFile(DialogOwner& owner, bool save, const WideBuffer<kFilterCapacity>& filter, const wchar_t* value,
                PathBuffer& path) {
    DialogPath folder;
    bool remembered = readRememberedFolder(value, folder);
    wchar_t file[kDialogPathCapacity] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner.window;
    dialog.lpstrFilter = wideChars(filter);
    dialog.lpstrFile = file;
    dialog.nMaxFile = kDialogPathCapacity;
    dialog.lpstrInitialDir = remembered ? wideChars(folder) : nullptr;
    if (save) {
        dialog.Flags = OFN_OVERWRITEPROMPT;
        dialog.lpstrDefExt = L"vxcor";
    } else {
        dialog.Flags = OFN_FILEMUSTEXIST;
    }
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
    file[kDialogPathCapacity - 1] = 0;
    rememberFolderOf(value, file);
    clearText(path);
    appendUtf16AsUtf8(path, viewOfWide(file));
    return path.length != 0;
}

bool chooseFileToOpen(void* context, FileKind kind, PathBuffer& path) {
    WideBuffer<kFilterCapacity> filter;
    if (kind == FileKind::CardFile) {
        buildCardFileFilter(filter);
        return chooseFile(ownerOf(context), false, filter, kLastCardPathValue, path);
    }
    buildSampleFileFilter(filter);
    return chooseFile(ownerOf(context), false, filter, kLastSamplePathValue, path);
}

// Room for the folder and the names of many files, as the multiple choice
// hands them over: "folder\0name\0name\0\0".
constexpr DWORD kChoiceUnits = 32768;
// More names than this are only counted.
constexpr uint32_t kSortedNames = 512;

// The separator between the folder and a name; a drive's root ("C:\") has its own.
const char16_t* separatorAfter(const wchar_t* folder) {
    size_t length = wcslen(folder);
    return length > 0 && folder[length - 1] == L'\\' ? u"" : u"\\";
}

void appendChosenFile(ChosenFiles& files, const wchar_t* folder, const wchar_t* name) {
    if (files.count == kChosenFilesCapacity) {
        ++files.beyond;
        return;
    }
    WideBuffer<kMaxPathBytes> wide = {};
    appendText(wide, viewOfWide(folder));
    if (name) {
        appendText(wide, viewOf(separatorAfter(folder)));
        appendText(wide, viewOfWide(name));
    }
    PathBuffer& path = files.paths[files.count++];
    clearText(path);
    appendUtf16AsUtf8(path, viewOf(wide));
}

bool chooseSampleFiles(void* context, ChosenFiles& files) {
    files.count = files.beyond = 0;
    WideBuffer<kFilterCapacity> filter;
    buildSampleFileFilter(filter);
    DialogPath folder;
    bool remembered = readRememberedFolder(kLastSamplePathValue, folder);
    auto* choice = static_cast<wchar_t*>(calloc(kChoiceUnits, sizeof(wchar_t)));
    if (!choice) return false;
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ownerOf(context).window;
    dialog.lpstrFilter = wideChars(filter);
    dialog.lpstrFile = choice;
    dialog.nMaxFile = kChoiceUnits;
    dialog.lpstrInitialDir = remembered ? wideChars(folder) : nullptr;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    if (GetOpenFileNameW(&dialog) && dialog.nFileOffset > 0 && dialog.nFileOffset < kChoiceUnits) {
        choice[kChoiceUnits - 2] = choice[kChoiceUnits - 1] = 0;  // the list ends, whatever came back
        if (choice[dialog.nFileOffset - 1] != 0) {
            // One file: its whole path.
            rememberFolderOf(kLastSamplePathValue, choice);
            appendChosenFile(files, choice, nullptr);
        } else {
            // Several: the folder, then each name.
            const wchar_t* name = choice + dialog.nFileOffset;
            WideBuffer<kDialogPathCapacity + 1> first = {};
            appendText(first, viewOfWide(choice));
            appendText(first, viewOf(separatorAfter(choice)));
            appendText(first, viewOfWide(name));
            if (terminateText(first)) rememberFolderOf(kLastSamplePathValue, wideChars(first));
            // Windows lists them in the order they were picked (the last
            // first), Wine in the folder's: in the order of their names they
            // are the same everywhere, and "kick 2" comes before "kick 10".
            const wchar_t* names[kSortedNames];
            uint32_t count = 0;
            for (; *name; name += wcslen(name) + 1) {
                if (count < kSortedNames)
                    names[count++] = name;
                else
                    ++files.beyond;
            }
            std::sort(names, names + count, [](const wchar_t* a, const wchar_t* b) { return StrCmpLogicalW(a, b) < 0; });
            for (uint32_t i = 0; i < count; ++i) appendChosenFile(files, choice, names[i]);
        }
    }
    free(choice);
    return files.count != 0;
}

bool chooseCardFileToSave(void* context, PathBuffer& path) {
    WideBuffer<kFilterCapacity> filter;
    buildCardFileFilter(filter);
    return chooseFile(ownerOf(context), true, filter, kLastCardPathValue, path);
}

}  // namespace

bool readRememberedFolder(const wchar_t* value, DialogPath& folder) {
    clearText(folder);
    DWORD bytes = sizeof folder.units;
    // RRF_RT_REG_SZ: only a string, and the system terminates it.
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, value, RRF_RT_REG_SZ, nullptr, folder.units, &bytes) !=
        ERROR_SUCCESS)
        return false;
    while (folder.length < folder.capacity && folder.units[folder.length] != 0) ++folder.length;
    if (folder.length == 0 || folder.length == folder.capacity) {
        clearText(folder);
        return false;
    }
    return true;
}

void rememberFolderOf(const wchar_t* value, const wchar_t* filePath) {
    const wchar_t* name = PathFindFileNameW(filePath);
    size_t units = size_t(name - filePath);
    if (units == 0 || units >= kDialogPathCapacity) return;
    wchar_t folder[kDialogPathCapacity];
    for (size_t i = 0; i < units; ++i) folder[i] = filePath[i];
    folder[units] = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, value, REG_SZ, folder, DWORD((units + 1) * sizeof(wchar_t)));
}

UserDialogs makeUserDialogs(DialogOwner& owner) {
    return {&owner, askToSave, showError, chooseFileToOpen, chooseCardFileToSave, chooseSampleFiles};
}
